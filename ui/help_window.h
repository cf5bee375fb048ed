// The help window "マスヴォ ヘルプ": the HTML pages shipped beside the program
// with a contents list, back and forward, and the links between the pages.
// One window at a time: a topic opens in a fresh window, ヘルプを起動 brings
// an open one to the front.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;
class QTreeWidget;
class QToolButton;

namespace masuvo {

class CHelpWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "マスヴォ ヘルプ";
    static constexpr const char* kStartPage = "index.htm";

    // The folder of the pages: "help" beside the program, else
    // ../share/masuvo/help from it (the installed layout).
    static QString HelpFolder();
    // Tests and tools point the window at another folder.
    static void SetHelpFolder(const QString& folder);

    // A topic of a help popup: an open window closes and a fresh one opens on
    // the page. A page that does not exist opens nothing and says nothing.
    static CHelpWindow* OpenTopic(const QString& page);
    // ヘルプを起動: the open window to the front, else the start page.
    static CHelpWindow* OpenStart();
    static CHelpWindow* Current();
    static void CloseCurrent();

    QTextBrowser* browser() const { return browser_; }
    QTreeWidget* contents() const { return contents_; }
    // The file name of the page shown.
    QString CurrentPage() const;

private:
    explicit CHelpWindow(const QString& folder);
    void LoadContents();
    void ShowPage(const QString& page);
    void SelectInContents(const QUrl& source);

    QString folder_;
    QTextBrowser* browser_;
    QTreeWidget* contents_;
    QToolButton* back_;
    QToolButton* forward_;
};

}  // namespace masuvo
