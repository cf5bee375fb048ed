// CNumberDlg, the number pad: a borderless popup shown at the pointer after
// a right click on a cell. Its left half enters a digit, erases the cell or
// sets a colour; its right half toggles the cell's marks. A button release
// over an item sends that item's command and hides the pad.
#pragma once

#include <QWidget>
#include <cstdint>

namespace masuvo {

class CNumberDlg : public QWidget {
    Q_OBJECT

public:
    // The commands the pad sends, with the value they carry.
    static constexpr int kSetDigit = 32791;    // the digit 1..9
    static constexpr int kErase = 32792;       // no value
    static constexpr int kToggleMark = 32793;  // the digit 1..9
    static constexpr int kClearMarks = 32794;  // no value
    static constexpr int kSetColour = 32801;   // an ARGB colour, or -1 for none

    static constexpr int K = 28;  // item size at 96 dots per inch

    CNumberDlg(QWidget* parent, double sx, double sy);

    // Places the pad's top-left corner at the point and shows it.
    void ShowAt(const QPoint& globalPos, bool memoSideEnabled);

    // The item under a point given in pad pixels at 96 dots per inch
    // (0: none); the memo side counts only while it is enabled.
    int HitTest(double x, double y) const;
    // The command of an item: its id (0: none) and value.
    struct Command {
        int id = 0;
        int32_t value = 0;
    };
    static Command ItemCommand(int item);

    int hotItem() const { return hot_; }
    bool memoSideEnabled() const { return memoSide_; }
    // The centre of an item in widget pixels (for tests and tours).
    QPoint ItemCentre(int item) const;

signals:
    void command(int id, int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Track(const QPointF& pos);

    double sx_;
    double sy_;
    bool memoSide_ = true;
    int hot_ = 0;
    bool pressed_ = false;
};

}  // namespace masuvo
