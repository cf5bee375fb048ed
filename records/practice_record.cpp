#include "records/practice_record.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <ctime>

#include "files/atomic_file.h"
#include "files/cp932.h"
#include "files/text_file.h"
#include "files/user_error_text.h"
#include "records/record_file.h"
#include "records/record_lock.h"

namespace masuvo {

namespace {

constexpr const char* kOpenFailed = "練習記録ファイルをオープンできません。：\n";
constexpr std::string_view kPracticeLockBusy =
    "別のマスヴォが練習記録を書き込み中です。しばらくしてからもう一度お試しください。";

// The lock's own reason names the achievement record; this file is another.
std::string LockReason(const std::string& reason) {
    return reason == kRecordLockBusy ? std::string(kPracticeLockBusy) : reason;
}
constexpr int kFields = 9;

bool ParseInt(std::string_view text, int& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    if (text.empty()) return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// "YYYY/MM/DD HH:MM:SS" with digits where digits belong.
bool IsTimeText(std::string_view text) {
    constexpr std::string_view pattern = "0000/00/00 00:00:00";
    if (text.size() != pattern.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == '0' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

}  // namespace

std::string PracticeRecordHeader() { return "日時,解法,番号,秒数,ヒント,詳細,ヒント実行,正解,想定秒数"; }

std::string PracticeRecordLine(const PracticeEntry& e) {
    std::string line = e.when;
    for (int value : {e.technique, e.number, e.seconds, e.hints, e.details, e.hintExecutions, e.solved ? 1 : 0,
                      e.estimatedSeconds}) {
        line += ',';
        line += std::to_string(value);
    }
    return line;
}

bool ParsePracticeRecordLine(const std::string& line, PracticeEntry& entry) {
    std::string_view text = line;
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
    const std::vector<std::string_view> fields = Fields(text);
    if (fields.size() != kFields || !IsTimeText(fields[0])) return false;
    PracticeEntry e;
    e.when = std::string(fields[0]);
    int solved = 0;
    int* targets[kFields - 1] = {&e.technique, &e.number, &e.seconds, &e.hints, &e.details, &e.hintExecutions,
                                 &solved, &e.estimatedSeconds};
    for (int i = 0; i < kFields - 1; ++i)
        if (!ParseInt(fields[i + 1], *targets[i]) || *targets[i] < 0) return false;
    if (e.technique >= 30 || e.number < 1 || solved > 1) return false;
    e.solved = solved == 1;
    entry = std::move(e);
    return true;
}

bool AppendPracticeEntry(const std::filesystem::path& file, const PracticeEntry& entry, std::string* error) {
    std::string message;
    const std::string path = file.string();
    struct stat info;
    const bool missing = ::stat(path.c_str(), &info) != 0;
    if (missing && errno != ENOENT) {
        if (error) *error = kOpenFailed + UserErrorText(errno);
        return false;
    }
    if (missing || info.st_size == 0) {
        // Started under the lock, so two programs never both write a header.
        const RecordFileLock lock(path);
        if (!lock.locked()) {
            if (error) *error = kOpenFailed + LockReason(lock.reason());
            return false;
        }
        const bool stillEmpty = ::stat(path.c_str(), &info) != 0 || info.st_size == 0;
        std::string failure;
        if (stillEmpty && !WriteFileAtomically(path, Utf8ToCp932(PracticeRecordHeader()) + "\r\n", failure)) {
            if (error) *error = kOpenFailed + failure;
            return false;
        }
    }
    if (!AppendRecordLine(path, PracticeRecordLine(entry), message, kOpenFailed)) {
        const std::string busy = std::string(kOpenFailed) + kRecordLockBusy;
        if (error) *error = message == busy ? kOpenFailed + std::string(kPracticeLockBusy) : message;
        return false;
    }
    return true;
}

std::vector<PracticeEntry> ReadPracticeRecord(const std::filesystem::path& file, int* skippedLines) {
    std::vector<PracticeEntry> entries;
    if (skippedLines) *skippedLines = 0;
    std::string bytes;
    int error = 0;
    if (!ReadFileBytes(file.string(), bytes, error)) return entries;
    const std::string header = Utf8ToCp932(PracticeRecordHeader());
    bool first = true;
    for (std::string_view raw : SplitLines(bytes)) {
        const bool isFirst = first;
        first = false;
        std::string_view trimmed = raw;
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.remove_suffix(1);
        if (trimmed.empty() || trimmed.front() == '#') continue;
        if (isFirst && trimmed == header) continue;
        // Every field is ASCII: a line whose bytes are not is damaged anyway.
        PracticeEntry entry;
        if (ParsePracticeRecordLine(std::string(trimmed), entry))
            entries.push_back(std::move(entry));
        else if (skippedLines)
            ++*skippedLines;
    }
    return entries;
}

std::string PracticeTimeText(long long unixSeconds) {
    const std::time_t when = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
    return text;
}

}  // namespace masuvo
