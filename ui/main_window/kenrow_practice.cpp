// 練習 in the main window: a practice run plays its drills on the board one
// after another. Each drill is made on the creation task's thread, the next
// one while the player solves the current one; the player waits, with
// progress and キャンセル, only for a drill not made yet.
#include <QApplication>
#include <QProgressDialog>
#include <QTimer>

#include <memory>

#include "engine/catalogue.h"
#include "records/practice_record.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/practice/practice_window.h"
#include "ui/dialogs/result_dlg.h"
#include "ui/sound_player.h"

using namespace masuvo;

void CKenrowDlg::OnPractice() {
    CPracticeWindow window(session_->folders, this);
    std::vector<DrillChoice> chosen;
    connect(&window, &CPracticeWindow::startRequested, this,
            [&chosen](std::vector<DrillChoice> drills) { chosen = std::move(drills); });
    window.exec();
    // Started once the window has gone, so that the board is in front.
    if (!chosen.empty()) StartPractice(chosen);
}

void CKenrowDlg::OnPracticeTechnique(int technique) {
    // A link followed while another dialog holds the window waits for it to close.
    if (technique < 0 || technique >= kTechniqueCount || QApplication::activeModalWidget() != nullptr) {
        sound_->Play(Sound::Error);
        return;
    }
    std::vector<int> used;
    for (const PracticeEntry& entry : ReadPracticeRecord(PracticeRecordPath(session_->folders)))
        if (entry.technique == technique) used.push_back(entry.number);
    std::vector<DrillChoice> drills;
    for (int number : NextDrillNumbers(used, kDrillsPerTechniqueLink)) drills.push_back({technique, number});
    raise();
    activateWindow();
    StartPractice(drills);
}

void CKenrowDlg::StartPractice(const std::vector<DrillChoice>& drills) {
    if (drills.empty()) return;
    StopPractice();
    ++practiceGeneration_;
    practice_ = std::make_unique<PracticeRun>(drills);
    techniquesWithoutDrills_.clear();
    drills_.assign(drills.size(), std::nullopt);
    session_->onSolvingPlacement = [this](int, int, int) { PracticePlacement(); };
    PrepareNextDrill();
    WaitForDrill();
}

void CKenrowDlg::PrepareNextDrill() {
    if (!practice_) return;
    if (!drillTask_) drillTask_ = new CreationTask(this);
    if (drillTask_->Running()) return;
    // The drill being played and the one after it; no further ahead.
    int index = practice_->Index();
    while (index < practice_->Count() && drills_[index]) ++index;
    if (index >= practice_->Count() || index > practice_->Index() + 1) return;
    const DrillChoice choice = practice_->Choices()[index];
    const int run = practiceGeneration_;
    auto made = std::make_shared<DrillOutcome>();
    DrillMaker maker = drillMaker_ ? drillMaker_ : DrillMaker(CreateDrill);
    CreationTask::Search search = [maker, made, choice](const CreationRequest& request) {
        DrillRequest drill;
        drill.technique = choice.technique;
        drill.number = choice.number;
        drill.threads = request.threads;
        drill.cancel = request.cancel;
        drill.progress = request.progress;
        *made = maker(drill);
        CreationOutcome outcome;
        outcome.status = made->status;
        return outcome;
    };
    drillTask_->Start(
        search, CreationRequest{},
        [this, run, index](int done) {
            if (drillWait_ && run == practiceGeneration_ && practice_ && practice_->Index() == index)
                drillWait_->setValue(done);
        },
        // The thread has been joined before this runs, so the drill is complete.
        [this, run, index, made](const CreationOutcome&) { DrillMade(run, index, *made); });
}

void CKenrowDlg::DrillMade(int run, int index, const DrillOutcome& outcome) {
    if (run == practiceGeneration_ && practice_ && outcome.status != CreationStatus::Cancelled) {
        drills_[index] = outcome;
        if (drillWait_ && practice_->Index() == index) BeginCurrentDrill();
    }
    // The task is free again: on to the next drill of the run now playing.
    PrepareNextDrill();
}

void CKenrowDlg::WaitForDrill() {
    if (!practice_ || practice_->Finished()) return;
    if (drills_[practice_->Index()]) {
        BeginCurrentDrill();
        return;
    }
    if (!drillWait_) {
        drillWait_ = new QProgressDialog(this);
        drillWait_->setWindowTitle(QStringLiteral("練習"));
        drillWait_->setCancelButtonText(QStringLiteral("キャンセル"));
        drillWait_->setRange(0, kDrillIterations);
        drillWait_->setMinimumDuration(0);
        drillWait_->setAutoClose(false);
        drillWait_->setAutoReset(false);
        drillWait_->setWindowModality(Qt::WindowModal);
        connect(drillWait_, &QProgressDialog::canceled, this, [this] {
            if (drillTask_) drillTask_->Cancel();
            FinishPractice();
        });
    }
    drillWait_->setLabelText(QString::fromStdString(practice_->Header() + "\n練習問題を作成しています…"));
    drillWait_->setValue(0);
    drillWait_->show();
}

void CKenrowDlg::BeginCurrentDrill() {
    if (drillWait_) {
        drillWait_->hide();
        drillWait_->deleteLater();
        drillWait_ = nullptr;
    }
    const DrillOutcome& outcome = *drills_[practice_->Index()];
    if (outcome.status != CreationStatus::Found) {
        // Nothing to play: the drill is left out, and the run goes on. A
        // technique the search finds no drill for fails for its other numbers
        // too, so the player hears it once per run.
        const int technique = practice_->Current().technique;
        if (techniquesWithoutDrills_.insert(technique).second)
            ShowMessageBox(practice_->Header() + "\r\n練習問題を作成できませんでした。");
        practice_->Skip();
        if (practice_->Finished())
            FinishPractice();
        else
            WaitForDrill();
        return;
    }
    practice_->Begin(*session_, outcome.drill);
    SetText(Field::Name, session_->name);
    std::string text = messageText_;
    if (!text.empty()) text += "\r\n";
    SetText(Field::Message, text + practice_->Header() + "：次の一手を入れてください。");
    PrepareNextDrill();
}

void CKenrowDlg::PracticePlacement() {
    if (!practice_ || !practice_->Playing()) return;
    if (!practice_->OnBoard(*session_)) {
        // Another puzzle took the board: the run is over, and its drill with
        // it, unrecorded (its clock is gone with the board).
        practice_->Skip();
        FinishPractice();
        return;
    }
    // Ended after the session has finished with the placement.
    if (practice_->Answered(*session_)) QTimer::singleShot(0, this, [this] { EndCurrentDrill(); });
}

void CKenrowDlg::EndCurrentDrill() {
    if (!practice_ || !practice_->Playing()) return;
    const PracticeEntry entry = practice_->EndDrill(*session_, true, WallClockSeconds());
    std::string error;
    if (!AppendPracticeEntry(PracticeRecordPath(session_->folders), entry, &error)) ShowMessageBox(error);
    std::string text = messageText_;
    if (!text.empty()) text += "\r\n";
    SetText(Field::Message, text + "正解です。（" + std::to_string(entry.seconds) + " 秒）");
    if (practice_->Finished()) {
        FinishPractice();
        return;
    }
    // A moment to see the answer on the board before the next drill replaces it.
    QTimer::singleShot(800, this, [this] {
        if (practice_ && !practice_->Playing()) WaitForDrill();
    });
}

void CKenrowDlg::FinishPractice() {
    if (!practice_) return;
    if (drillWait_) {
        drillWait_->hide();
        drillWait_->deleteLater();
        drillWait_ = nullptr;
    }
    if (drillTask_ && drillTask_->Running()) drillTask_->Cancel();
    practice_->Release(*session_);
    session_->onSolvingPlacement = nullptr;
    const std::vector<PracticeEntry> entries = practice_->Entries();
    practice_.reset();
    drills_.clear();
    if (!entries.empty())
        OpenResultWindow(PracticeSummaryText(entries), QStringLiteral("練習の結果"), 600, 560);
}

void CKenrowDlg::StopPractice() {
    if (!practice_) return;
    // A drill left on the board counts as not solved.
    if (practice_->Playing()) {
        const PracticeEntry entry = practice_->EndDrill(*session_, false, WallClockSeconds());
        std::string error;
        if (!AppendPracticeEntry(PracticeRecordPath(session_->folders), entry, &error)) ShowMessageBox(error);
    }
    FinishPractice();
}
