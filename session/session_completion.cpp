// Scoring a finished play: the result message, the record line and the copy
// of the puzzle in the finished folder.
#include <ctime>
#include <filesystem>

#include "engine/text_format.h"
#include "records/record_file.h"
#include "session/play_session.h"
#include "session/session_text.h"

namespace masuvo {

namespace {

int32_t Spare(int32_t targetTime, int64_t elapsed) { return targetTime - static_cast<int32_t>(elapsed); }

double SpareRate(int32_t spare, int32_t targetTime) {
    return targetTime >= 1 ? spare * 100.0 / targetTime : 0.0;
}

}  // namespace

void PlaySession::CompletePuzzle(std::string& message) {
    const int32_t spare = Spare(targetTime, elapsed);
    const double rate = SpareRate(spare, targetTime);
    message = std::string(kCompletedText) + "\r\n難易度：" + WithSeparators(targetTime) + "、ペナルティ：" + WithSeparators(penalty) +
              "、解答時間：" + WithSeparators(elapsed) + "、余力度：" + WithSeparators(spare) + " (" +
              OneDecimal(rate) + "%)\r\n実行度：" + WithSeparators(execution);

    if (!fileCompletions) return;
    std::string failure;
    if (!AppendRecordLine(folders.recordPath, RecordLine(view_.WallClockSeconds()), failure))
        view_.ShowMessageBox(failure);

    WriteFinishedCopy();
}

std::string PlaySession::RecordLine(int64_t wallClockSeconds) const {
    const std::time_t now = static_cast<std::time_t>(wallClockSeconds);
    std::tm local{};
    localtime_r(&now, &local);
    const int32_t spare = Spare(targetTime, elapsed);

    std::string line = kVersionText;
    line += Format(",%d,%02d,%02d,%d,%02d,", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                   local.tm_min);
    line += name.empty() ? std::string("-") : name;
    line += Format(",%d,%d,%d,%lld,%d,%d,%d,%d,%d,", targetTime, execution, penalty, static_cast<long long>(elapsed),
                   hintCount, detailCount, execCount, candidateEase, spare);
    line += OneDecimal(SpareRate(spare, targetTime));
    line += ",,";
    for (int i = 0; i < kTechniqueCount; ++i) line += Format("%*d,", 2, usageStart.count[i]);
    line += ",";
    for (int i = 0; i < kTechniqueCount; ++i) {
        line += Format("%*d", 2, usagePlayed.count[i]);
        if (i + 1 < kTechniqueCount) line += ",";
    }
    return line;
}

std::string PlaySession::FinishedCopyPath() const {
    namespace fs = std::filesystem;
    const std::string base = folders.finishedFolder + "/" + SafeFileNamePart(name) + "_完成";
    std::error_code error;
    std::string path = base + ".kzd";
    for (int n = 2; fs::exists(fs::path(path), error); ++n) path = base + Format("(%d)", n) + ".kzd";
    return path;
}

void PlaySession::WriteFinishedCopy() { WritePuzzleFile(FinishedCopyPath()); }

}  // namespace masuvo
