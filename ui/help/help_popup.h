// CHelpDlg: the small owner-drawn popup that a right click opens in several
// windows, listing the help topics that fit the place clicked. Choosing a
// topic opens its page in the help window. At most one is open at a time.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "session/session_text.h"  // HelpTopic

namespace masuvo {

class CHelpDlg : public QWidget {
    Q_OBJECT

public:
    // Closes an open popup, then opens one with its top-left corner at
    // globalPosition. sx, sy: the display scale factors.
    static CHelpDlg* Open(QPoint globalPosition, const std::vector<HelpTopic>& topics, double sx, double sy,
                          QWidget* owner);
    static void CloseOpen();
    static CHelpDlg* Current();

    // 0: none or the header; 1..N: a topic.
    int HotRow() const { return hot_; }
    bool Pressed() const { return pressed_; }
    const std::vector<HelpTopic>& Topics() const { return topics_; }
    // The whole popup as painted, for tests and pictures.
    QImage Render() const;

    // Where a chosen page goes; the help window unless a test says otherwise.
    static void SetPageOpener(std::function<void(const QString& page)> opener);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CHelpDlg(const std::vector<HelpTopic>& topics, double sx, double sy, QWidget* owner);
    void SetHot(int row);
    void Choose(int row);

    std::vector<HelpTopic> topics_;
    double sx_;
    double sy_;
    int hot_ = 0;
    bool pressed_ = false;
};

// Right presses anywhere in window (and its children) open the popup with
// the topics of the moment; an empty list opens nothing.
void OpenHelpPopupOnRightClick(QWidget* window, std::function<std::vector<HelpTopic>()> topics, double sx,
                               double sy);

}  // namespace masuvo
