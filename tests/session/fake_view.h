// A window for the session under test: records every call, answers questions
// from a script and keeps a clock that only moves when the test says so.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "session/session_view.h"

namespace masuvo::test {

class FakeView : public SessionView {
public:
    // Everything the session said, in order, e.g. "sound Error", "ask ...".
    std::vector<std::string> calls;
    std::map<Field, std::string> texts;
    std::string digitCounts[10];
    std::map<Control, bool> enabled;
    bool candidatesPressed = false;
    bool acceptDrops = false;
    std::vector<Sound> sounds;
    std::vector<std::string> questions;
    std::vector<std::string> messageBoxes;
    std::deque<Answer> answers;  // consumed by the questions, Yes/No taken as bool
    int repaints = 0;
    bool hintDialog = false;
    std::string hintDialogText;
    HintDialogOwner hintDialogOwner = HintDialogOwner::Main;
    int developerTools = 0;
    int padHidden = 0;
    int64_t monotonic = 5000;
    int64_t wall = 1767225600;  // 2026-01-01 00:00:00 UTC
    bool ticking = false;

    void SetText(Field field, const std::string& text) override {
        texts[field] = text;
        calls.push_back("text " + text);
    }
    void SetDigitCountText(int digit, const std::string& text) override { digitCounts[digit] = text; }
    void EnableControl(Control control, bool on) override { enabled[control] = on; }
    void SetCandidatesPressed(bool pressed) override { candidatesPressed = pressed; }
    void SetAcceptDrops(bool accept) override { acceptDrops = accept; }

    bool AskYesNo(const std::string& question) override { return Next(question) == Answer::Yes; }
    Answer AskYesNoCancel(const std::string& question) override { return Next(question); }
    void ShowMessageBox(const std::string& text) override {
        messageBoxes.push_back(text);
        calls.push_back("box " + text);
    }
    void PlaySound(Sound sound) override {
        sounds.push_back(sound);
        calls.push_back(sound == Sound::Error ? "sound Error" : sound == Sound::Clear ? "sound Clear" : "sound Completion");
    }
    void Repaint() override { ++repaints; }
    void OpenHintDialog(const std::string& text, HintDialogOwner owner) override {
        EXPECT_FALSE(hintDialog) << "a second hint dialog";
        hintDialog = true;
        hintDialogText = text;
        hintDialogOwner = owner;
        calls.push_back("open hint dialog");
    }
    void CloseHintDialog() override {
        hintDialog = false;
        calls.push_back("close hint dialog");
    }
    void HideNumberPad() override { ++padHidden; }
    void OpenDeveloperTools() override { ++developerTools; }
    int64_t MonotonicSeconds() override { return monotonic; }
    int64_t WallClockSeconds() override { return wall; }
    void StartTick() override { ticking = true; }
    void StopTick() override { ticking = false; }

    bool Enabled(Control control) const {
        auto it = enabled.find(control);
        return it != enabled.end() && it->second;
    }
    std::string Text(Field field) const {
        auto it = texts.find(field);
        return it == texts.end() ? std::string() : it->second;
    }
    int CountSounds(Sound which) const {
        int n = 0;
        for (Sound s : sounds) n += s == which;
        return n;
    }
    void ClearRecords() {
        calls.clear();
        sounds.clear();
        questions.clear();
        messageBoxes.clear();
    }

private:
    Answer Next(const std::string& question) {
        questions.push_back(question);
        calls.push_back("ask " + question);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question;
            return Answer::Cancel;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace masuvo::test
