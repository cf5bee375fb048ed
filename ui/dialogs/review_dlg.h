// CReviewDlg (リヴュー): the moves of a finished play, one row each, with the
// technique the engine estimated, the estimated and the actual time and the
// aids used. Selecting a move shows the board after it in the main window;
// ヒント replays the move's technique on that board; a right click offers the
// help pages of the move's techniques. Nothing in the log changes.
#pragma once

#include <QDialog>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace masuvo {

class CKenrowDlg;

class CReviewDlg : public QDialog {
    Q_OBJECT

public:
    // position: the screen point of the dialog's top-left corner.
    CReviewDlg(CKenrowDlg& owner, double sx, double sy);

    QTreeWidget* list() const { return list_; }
    QPushButton* hintButton() const { return hint_; }
    // The 番号 of the selected row, 0 when none is selected.
    int SelectedNumber() const;
    // Selects the row whose 番号 is number (nothing when there is none).
    void SelectNumber(int number);
    void SortByColumn(int column);
    // The right click at a point of the list's viewport.
    void OpenHelpPopup(QPoint viewportPoint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void SelectionChanged();
    void Previous();
    void Next();
    void ShowHint();
    void CopyBoard();
    void CloseHelpPopup();
    void ShowHelpTopics(QPoint globalPoint);
    QTreeWidgetItem* SelectedItem() const;

    CKenrowDlg& owner_;
    double sx_;
    double sy_;
    QTreeWidget* list_;
    QPushButton* hint_;
    bool descending_ = false;
};

}  // namespace masuvo
