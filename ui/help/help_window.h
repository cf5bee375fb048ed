// The help window "マスヴォ ヘルプ": the HTML pages shipped beside the program
// with a contents list, back and forward, and the links between the pages.
// One window at a time: a topic opens in a fresh window, ヘルプを起動 brings
// an open one to the front.
//
// Two kinds of link act inside the program instead of opening a page:
// "practice:N" asks for drills of the technique with catalogue index N, and
// "answer:KEY" shows (or hides again) the part of the page between the
// markers "<!-- answer KEY -->" and "<!-- /answer -->", which stays hidden
// until then so a reader can try a practice position first.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;
class QTreeWidget;
class QToolButton;

namespace masuvo {

// The practice links of every help window, for whoever starts the drills:
// it lives as long as the program, while help windows come and go.
class HelpLinks : public QObject {
    Q_OBJECT

signals:
    void practiceRequested(int technique);
};

class HelpBrowser;

class CHelpWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "マスヴォ ヘルプ";
    static constexpr const char* kStartPage = "index.htm";

    // The folder of the pages: "help" beside the program, else in the
    // installed prefix's share/masuvo (FolderHolding).
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
    // Every window's practice links, relayed.
    static HelpLinks& Links();

    QTextBrowser* browser() const;
    QTreeWidget* contents() const { return contents_; }
    // The file name of the page shown.
    QString CurrentPage() const;
    // Follows a link as a click on it does.
    void FollowLink(const QUrl& link);
    bool AnswerShown(const QString& key) const;

signals:
    // A 練習 link: drills of the technique with this catalogue index.
    void practiceRequested(int technique);

private:
    explicit CHelpWindow(const QString& folder);
    // A modal dialog blocks every window outside its own family, so while one
    // is open the help window becomes a window of that dialog's (usable and
    // kept in front of it), and returns to standing alone when it closes.
    void JoinModalDialog();
    void LeaveModalDialog();
    void BringToFront();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void LoadContents();
    void ShowPage(const QString& page);
    void SelectInContents(const QUrl& source);

    QString folder_;
    HelpBrowser* browser_;
    QTreeWidget* contents_;
    QToolButton* back_;
    QToolButton* forward_;
    QPointer<QWidget> modalOwner_;
};

}  // namespace masuvo
