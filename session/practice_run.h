// A practice run: drills played one after another in the main window's
// session. The run hands each drill to the session as a puzzle of its own,
// watches for the answer, and keeps one practice record entry per finished
// drill. Drills never reach 達成記録.csv or 完成問題/: the session files no
// completions while a run holds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "generator/drill.h"
#include "records/practice_choice.h"
#include "records/practice_record.h"
#include "session/play_session.h"

namespace masuvo {

class PracticeRun {
public:
    explicit PracticeRun(std::vector<DrillChoice> choices);

    int Count() const { return static_cast<int>(choices_.size()); }
    // The 0-based position of the drill being played or prepared.
    int Index() const { return index_; }
    bool Finished() const { return index_ >= Count(); }
    const DrillChoice& Current() const { return choices_[index_]; }
    const std::vector<DrillChoice>& Choices() const { return choices_; }
    // The drill last begun.
    const Drill& CurrentDrill() const { return drill_; }
    // Whether a drill is on the board and not answered yet.
    bool Playing() const { return playing_; }

    // "練習 3/10 ・ 対角線" for the drill being played.
    std::string Header() const;

    // The drill of the current choice becomes the session's puzzle, named by
    // the header, and its clock starts.
    void Begin(PlaySession& session, const Drill& drill);
    // Whether the session's board holds the drill's answer: the right digit
    // in the drill's cell, typed or placed by ヒント実行.
    bool Answered(const PlaySession& session) const;
    // Ends the drill being played: stops its clock, keeps its entry and
    // moves on to the next choice. solved: the answer is on the board (a run
    // cut short ends its drill unsolved). The caller appends the entry to
    // the practice record.
    PracticeEntry EndDrill(PlaySession& session, bool solved, int64_t wallClockSeconds);
    // Whether the session still holds the drill being played (its givens):
    // a puzzle loaded over it ends the run.
    bool OnBoard(const PlaySession& session) const;
    // Leaves out the current choice (its drill could not be made).
    void Skip();
    // Gives the session back its own filing once the run is over or abandoned.
    void Release(PlaySession& session);

    const std::vector<PracticeEntry>& Entries() const { return entries_; }

private:
    std::vector<DrillChoice> choices_;
    int index_ = 0;
    bool playing_ = false;
    bool filedBefore_ = true;
    Drill drill_;
    std::vector<PracticeEntry> entries_;
};

// The estimated seconds of a drill's answer played without help: what its
// time is compared with, on the clock and for the boxes.
int32_t AnswerEstimate(const Drill& drill);

// The practice record of a data folder.
std::string PracticeRecordPath(const DataFolders& folders);

// The summary page: each drill's time against the estimate of its answer,
// as a line with a text bar, and the totals.
std::string PracticeSummaryText(const std::vector<PracticeEntry>& entries);

}  // namespace masuvo
