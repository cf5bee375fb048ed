// CHintDlg, the modeless hint dialog: the hint's sentences as a list, the
// conclusion on one line, 詳細 (stays pressed) and 閉じる. The board's overlay
// follows the selected sentence.
#pragma once

#include <QDialog>
#include <QString>

class QListWidget;
class QLineEdit;
class QPushButton;

namespace masuvo {

class CHintDlg : public QDialog {
    Q_OBJECT

public:
    // text: the sentences joined by ";", the conclusion after the last one.
    CHintDlg(const QString& text, bool detailPressed, double sx, double sy, QWidget* parent);

    const QString& hintText() const { return text_; }
    QListWidget* list() const { return list_; }
    QLineEdit* conclusion() const { return conclusion_; }
    QPushButton* detailButton() const { return detail_; }
    QPushButton* closeButton() const { return close_; }
    // Lays the controls out for another client size (the review's hint dialog is larger).
    void SetClientSize(QSize size);

signals:
    void stepSelected(int index);
    // 詳細 pressed or released; the selected step follows.
    void detailToggled(bool pressed, int selectedIndex);
    // 閉じる, Escape or the window's close box: the dialog is going away.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QString text_;
    QListWidget* list_;
    QLineEdit* conclusion_;
    QPushButton* detail_;
    QPushButton* close_;
    bool reported_ = false;
};

}  // namespace masuvo
