// The puzzle file reader (.kzd, all three versions) and what loading does
// with a file it accepted: a file that reads is written back and reads again
// unchanged, and a headless session loads it as the window would.
#include <cstring>
#include <string>

#include "files/puzzle_file.h"
#include "fuzz/fuzz_support.h"
#include "session/headless_view.h"
#include "session/play_session.h"

namespace {

using namespace masuvo;

constexpr size_t kMaxInput = 64 * 1024;

bool SameLog(const Log& a, const Log& b) {
    // The writer turns a line break inside a log text into a blank (it
    // would end the entry); a lone CR can survive the line split on reading.
    std::string text = a.text;
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text == b.text && a.seconds == b.seconds && a.points == b.points && a.hinted == b.hinted &&
           a.detailed == b.detailed && a.executed == b.executed && a.candidatesShown == b.candidatesShown &&
           a.row == b.row && a.col == b.col && a.digit == b.digit &&
           std::memcmp(a.values, b.values, sizeof a.values) == 0 &&
           std::memcmp(a.origin, b.origin, sizeof a.origin) == 0;
}

bool SameData(const PuzzleFileData& a, const PuzzleFileData& b) {
    if (std::memcmp(a.values, b.values, sizeof a.values) != 0 || std::memcmp(a.origin, b.origin, sizeof a.origin) != 0 ||
        std::memcmp(a.colour, b.colour, sizeof a.colour) != 0 ||
        std::memcmp(a.candMarks, b.candMarks, sizeof a.candMarks) != 0 ||
        std::memcmp(a.memo, b.memo, sizeof a.memo) != 0)
        return false;
    if (a.mode != b.mode || a.targetTime != b.targetTime || a.elapsed != b.elapsed || a.hintCount != b.hintCount ||
        a.detailCount != b.detailCount || a.execCount != b.execCount || a.candidateEase != b.candidateEase ||
        a.penalty != b.penalty || a.execution != b.execution)
        return false;
    if (std::memcmp(a.usageStartCount, b.usageStartCount, sizeof a.usageStartCount) != 0 ||
        std::memcmp(a.usagePlayedCount, b.usagePlayedCount, sizeof a.usagePlayedCount) != 0)
        return false;
    if (a.log.size() != b.log.size()) return false;
    for (size_t i = 0; i < a.log.size(); ++i)
        if (!SameLog(a.log[i], b.log[i])) return false;
    return true;
}

DataFolders ScratchDataFolders() {
    const std::string& root = fuzz::ScratchFolder();
    DataFolders folders;
    folders.dataFolder = root;
    folders.finishedFolder = root + "/finished";
    folders.tempFolder = root + "/tmp";
    folders.recordPath = root + "/records.csv";
    return folders;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    fuzz::MemoryFile input(data, size);

    PuzzleFileData read;
    std::string message;
    if (!ReadPuzzleData(input.Path(), read, message)) {
        fuzz::Require(message == "ファイルを読込めません。", "a refused file names the refusal");
        return 0;
    }

    const std::string again = fuzz::ScratchFolder() + "/again.kzd";
    fuzz::Require(WritePuzzleData(again, read, message), "an accepted file can be saved again");
    PuzzleFileData reread;
    fuzz::Require(ReadPuzzleData(again, reread, message), "a saved file reads back");
    fuzz::Require(SameData(read, reread), "a saved file reads back unchanged");

    std::string shown;
    HeadlessView view([&](const std::string& text) { shown = text; });
    PlaySession session(view, ScratchDataFolders());
    session.ResetSession();
    fuzz::Require(session.ReadPuzzleFile(input.Path()), "the session loads what the reader accepts");
    fuzz::Require(session.mode >= 0 && session.mode <= 3 && session.mode != 1, "a loaded file is never running");
    return 0;
}
