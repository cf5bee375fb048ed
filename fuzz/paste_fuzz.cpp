// Board text pasted in create mode (貼り付け), through a headless session:
// the first 81 characters become the givens when every one of them is a
// digit or "."; anything else leaves the board alone.
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "records/record_file.h"
#include "session/headless_view.h"
#include "session/play_session.h"

namespace {

using namespace masuvo;

constexpr size_t kMaxInput = 4096;

DataFolders PreparedFolders() {
    const std::string& root = fuzz::ScratchFolder();
    DataFolders folders;
    folders.dataFolder = root;
    folders.finishedFolder = root + "/finished";
    folders.tempFolder = root + "/tmp";
    folders.recordPath = root + "/records.csv";
    std::filesystem::create_directories(folders.finishedFolder);
    std::string message;
    fuzz::Require(PrepareRecordFile(folders.recordPath, message), "the record file can be prepared");
    return folders;
}

bool IsBoardText(const std::string& text) {
    if (text.size() < 81) return false;
    for (size_t i = 0; i < 81; ++i)
        if (text[i] != '.' && (text[i] < '0' || text[i] > '9')) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    // A completed paste appends a record and files a copy: start afresh now
    // and then so the scratch folder stays small.
    static int runs = 0;
    if (runs++ % 2048 == 0) fuzz::ClearScratchFolder();
    static const DataFolders folders = PreparedFolders();
    if (!std::filesystem::exists(folders.recordPath)) PreparedFolders();

    const std::string text(reinterpret_cast<const char*>(data), size);
    HeadlessView view(nullptr);
    PlaySession session(view, folders);
    session.ResetSession();
    const int32_t before[81] = {};
    const bool pasted = session.PasteBoardText(text);
    fuzz::Require(pasted == IsBoardText(text), "a paste is taken exactly when it is board text");
    for (int k = 0; k < 81; ++k) {
        const int expected = pasted && text[k] >= '1' && text[k] <= '9' ? text[k] - '0' : before[k];
        fuzz::Require(session.values[k] == expected, "the pasted digits are the board");
        fuzz::Require(session.origin[k] == (expected != 0 ? 1 : 0), "pasted digits are givens");
    }
    fuzz::Require(pasted ? (session.mode == 0 || session.mode == 3) : session.mode == 0, "a paste stays in create mode");
    return 0;
}
