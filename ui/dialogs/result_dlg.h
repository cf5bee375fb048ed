// 結果表示: the window of the long text reports. One page at a time in an
// editable box, paging, saving the stored page and copying what is shown.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CResultDlg : public QDialog {
    Q_OBJECT
public:
    // Modeless: show() it; it deletes itself when closed. text is the first
    // page, its lines ending in CR LF; width and height are at 96 dots per
    // inch and get multiplied by the display scale factors sx and sy.
    CResultDlg(const QString& text, const QString& title, int width, int height, double sx, double sy,
               QWidget* parent = nullptr);

    void AddPage(const QString& text);

    int PageCount() const { return static_cast<int>(pages_.size()); }
    int CurrentPage() const { return current_; }

    // Where the save dialog starts: the folder it was last used in during
    // this run, at first the one set here (the data folder).
    static void SetSaveFolder(const QString& folder);
    static QString SaveFolder();

    // 保存... after the file dialog: the stored current page (not the edited
    // box) in code page 932 with CR LF, replacing the file as a whole. On
    // failure says why in a message box and returns false.
    bool SaveTo(const QString& path);

public slots:
    void OnSave();      // 保存...
    void OnCopyAll();   // 全コピー
    void OnPrevious();  // ＜
    void OnNext();      // ＞

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPage(int page);
    void WritePageNumber(int page);
    void PageNumberEdited(const QString& text);

    QStringList pages_;
    int current_ = 1;
    bool updating_ = true;
    QPlainTextEdit* text_;
    QLineEdit* pageBox_;
    QLabel* pageCount_;
};
