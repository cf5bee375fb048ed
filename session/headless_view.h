// A window that is not there: for batch tools and the command-line tool,
// which drive a session without showing it. Message boxes go to a callback,
// questions are answered No, the clock is the real one.
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <utility>

#include "session/session_view.h"

namespace masuvo {

class HeadlessView : public SessionView {
public:
    explicit HeadlessView(std::function<void(const std::string&)> onMessage) : onMessage_(std::move(onMessage)) {}

    void SetText(Field, const std::string&) override {}
    void SetDigitCountText(int, const std::string&) override {}
    void EnableControl(Control, bool) override {}
    void SetCandidatesPressed(bool) override {}
    void SetAcceptDrops(bool) override {}
    bool AskYesNo(const std::string&) override { return false; }
    Answer AskYesNoCancel(const std::string&) override { return Answer::Cancel; }
    void ShowMessageBox(const std::string& text) override {
        if (onMessage_) onMessage_(text);
    }
    void PlaySound(Sound) override {}
    void Repaint() override {}
    void OpenHintDialog(const std::string&, HintDialogOwner) override {}
    void CloseHintDialog() override {}
    void HideNumberPad() override {}
    void OpenDeveloperTools() override {}
    int64_t MonotonicSeconds() override {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    int64_t WallClockSeconds() override { return static_cast<int64_t>(std::time(nullptr)); }
    void StartTick() override {}
    void StopTick() override {}

private:
    std::function<void(const std::string&)> onMessage_;
};

}  // namespace masuvo
