// Reading and writing the puzzle file as session operations. The file is
// parsed and checked whole before the session is touched, so a bad file
// never leaves a half-loaded session.
#include <cstring>

#include "files/puzzle_file.h"
#include "session/play_session.h"
#include "session/session_text.h"

namespace masuvo {

PuzzleFileData PlaySession::FileData() const {
    PuzzleFileData data;
    std::memcpy(data.values, values, sizeof values);
    std::memcpy(data.origin, origin, sizeof origin);
    std::memcpy(data.colour, colour, sizeof colour);
    std::memcpy(data.candMarks, candMarks, sizeof candMarks);
    std::memcpy(data.memo, memo, sizeof memo);
    data.mode = mode;
    data.targetTime = targetTime;
    data.elapsed = elapsed + clockNow - clockStart;  // a running segment included
    data.hintCount = hintCount;
    data.detailCount = detailCount;
    data.execCount = execCount;
    data.candidateEase = candidateEase;
    data.penalty = penalty;
    data.execution = execution;
    std::memcpy(data.usageStartCount, usageStart.count, sizeof data.usageStartCount);
    std::memcpy(data.usagePlayedCount, usagePlayed.count, sizeof data.usagePlayedCount);
    data.log = log;
    return data;
}

bool PlaySession::WritePuzzleFile(const std::string& path) {
    std::string message;
    if (!WritePuzzleData(path, FileData(), message)) {
        view_.ShowMessageBox(message);
        return false;
    }
    return true;
}

bool PlaySession::ReadPuzzleFile(const std::string& path) {
    PuzzleFileData data;
    std::string message;
    if (!ReadPuzzleData(path, data, message)) {
        view_.ShowMessageBox(message);
        return false;
    }

    ResetSession();
    view_.Repaint();
    std::memcpy(values, data.values, sizeof values);
    std::memcpy(origin, data.origin, sizeof origin);
    std::memcpy(colour, data.colour, sizeof colour);
    std::memcpy(candMarks, data.candMarks, sizeof candMarks);
    std::memcpy(memo, data.memo, sizeof memo);
    targetTime = data.targetTime;
    elapsed = data.elapsed;
    hintCount = data.hintCount;
    detailCount = data.detailCount;
    execCount = data.execCount;
    candidateEase = data.candidateEase;
    penalty = data.penalty;
    execution = data.execution;
    std::memcpy(usageStart.count, data.usageStartCount, sizeof usageStart.count);
    std::memcpy(usagePlayed.count, data.usagePlayedCount, sizeof usagePlayed.count);
    log = data.log;

    // A file never resumes with a running clock.
    SetMode(data.mode == 1 ? 2 : data.mode);
    if (mode == 2) {
        EnableSolvingFields();
        firstStart = false;
        ShowClock();
        ShowTarget();
        ShowPenalty();
        ShowCounters();
    } else if (mode == 3) {
        ShowClock();
        ShowTarget();
        ShowPenalty();
    }
    CheckState(false, "", false);
    return true;
}

bool PlaySession::LoadPuzzleCommand(const std::string& path) {
    rememberedFolder = FolderOf(path);
    if (!ReadPuzzleFile(path)) return false;
    name = FileStem(path);
    view_.SetText(Field::Name, name);
    return true;
}

bool PlaySession::SavePuzzleCommand(const std::string& path) {
    rememberedFolder = FolderOf(path);
    if (!WritePuzzleFile(path)) return false;
    name = FileStem(path);
    view_.SetText(Field::Name, name);
    return true;
}

}  // namespace masuvo
