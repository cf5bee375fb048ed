#include "records/record_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "engine/catalogue.h"
#include "files/atomic_file.h"
#include "files/comma_fields.h"
#include "files/cp932.h"
#include "files/text_file.h"
#include "files/user_error_text.h"
#include "records/record_lock.h"

namespace masuvo {

namespace {

constexpr const char* kOpenFailed = "達成記録ファイルをオープンできません。：\n";

// The header of the current format has 78 commas; the previous format
// counted 29 techniques in each list and had 76.
constexpr int kCurrentCommas = 78;
constexpr int kPreviousCommas = 76;
// Old records gain the count of technique 26 just before these commas.
constexpr int kUpgradeCommas[2] = {43, 73};

bool Fail(std::string& message, int error, const char* prefix = kOpenFailed) {
    message = prefix + UserErrorText(error);
    return false;
}

bool WriteLines(const std::string& path, std::string_view header, const std::vector<std::string_view>& lines,
                std::string& message) {
    std::string bytes(header);
    bytes += "\r\n";
    for (std::string_view line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    std::string error;
    if (!WriteFileAtomically(path, bytes, error)) {
        message = kOpenFailed + error;
        return false;
    }
    return true;
}

// An old record with " *" (read as 0) as the count of technique 26 in both
// lists. Works on the bytes as read: a comma is never part of a code page
// 932 character, so foreign text in the line passes through unchanged.
std::string UpgradeLine(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r' ||
                             line.back() == '\n' || line.back() == '\v' || line.back() == '\f'))
        line.remove_suffix(1);
    std::string upgraded;
    upgraded.reserve(line.size() + 6);
    int comma = 0;
    for (char c : line) {
        if (c == ',') {
            if (comma == kUpgradeCommas[0] || comma == kUpgradeCommas[1]) upgraded += ", *";
            ++comma;
        }
        upgraded += c;
    }
    return upgraded;
}

// The first free name of path.bak, path.bak2, path.bak3, …; never replaces
// an earlier copy.
bool MoveAside(const std::string& path, int& error) {
    for (int n = 1; n < 10000; ++n) {
        std::string aside = path + ".bak" + (n == 1 ? std::string() : std::to_string(n));
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) {
            error = errno;
            return false;
        }
        // A file system without the no-replace rename: check, then rename.
        struct stat info;
        if (::lstat(aside.c_str(), &info) == 0) continue;
        if (::rename(path.c_str(), aside.c_str()) == 0) return true;
        error = errno;
        return false;
    }
    error = EEXIST;
    return false;
}

}  // namespace

std::string RecordHeader() {
    std::string header =
        "バージョン,年,月,日,時,分,名称,難易度,実行度,ペナルティ,解答秒数,ヒント回数,詳細ヒント回数,"
        "ヒント実行回数,候補表示容易度,余力度,余力率(%),,";
    for (int list = 0; list < 2; ++list) {
        for (int index = 0; index < kTechniqueCount; ++index) {
            header += TechniqueName(index);
            header += ',';
        }
        header += ',';
    }
    header.resize(header.size() - 2);
    return header;
}

bool PrepareRecordFile(const std::string& path, std::string& message) {
    const RecordFileLock lock(path);
    if (!lock.locked()) {
        message = kOpenFailed + lock.reason();
        return false;
    }
    std::string header = Utf8ToCp932(RecordHeader());
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) return Fail(message, errno);
        return WriteLines(path, header, {}, message);
    }

    std::string bytes;
    int error;
    if (!ReadFileBytes(path, bytes, error)) return Fail(message, error);
    // Nothing to keep in an empty file (a creation that was cut short).
    if (bytes.empty()) return WriteLines(path, header, {}, message);

    std::vector<std::string_view> lines = SplitLines(bytes);
    int commas = static_cast<int>(std::count(lines[0].begin(), lines[0].end(), ','));
    if (commas == kCurrentCommas) return true;

    if (commas == kPreviousCommas) {
        std::vector<std::string> upgraded;
        upgraded.reserve(lines.size() - 1);
        for (size_t i = 1; i < lines.size(); ++i) upgraded.push_back(UpgradeLine(lines[i]));
        return WriteLines(path, header, std::vector<std::string_view>(upgraded.begin(), upgraded.end()), message);
    }

    // Not a record file of ours: keep it whole beside the new one rather
    // than overwrite its beginning.
    if (!MoveAside(path, error)) return Fail(message, error);
    return WriteLines(path, header, {}, message);
}

bool AppendRecordLine(const std::string& path, const std::string& line, std::string& message) {
    return AppendRecordLine(path, line, message, kOpenFailed);
}

bool AppendRecordLine(const std::string& path, const std::string& line, std::string& message,
                      const char* failurePrefix) {
    const RecordFileLock lock(path);
    if (!lock.locked()) {
        message = failurePrefix + lock.reason();
        return false;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0) return Fail(message, errno, failurePrefix);

    std::string bytes;
    // A file edited by hand may lack its last line end; the record must not
    // be glued onto that line.
    struct stat info;
    char last = '\n';
    if (::fstat(fd, &info) == 0 && info.st_size > 0 && ::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n')
        bytes += "\r\n";
    std::string text = line;
    // A line end inside a field would split the record in two.
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    bytes += Utf8ToCp932(text);
    bytes += "\r\n";

    // A disk that fills in the middle of the line would leave half a record
    // that every later reading stumbles over: cut the file back to the
    // length it had.
    const off_t before = ::lseek(fd, 0, SEEK_END);
    const auto giveUp = [&](int error) {
        if (before >= 0 && ::ftruncate(fd, before) == 0) ::fsync(fd);
        ::close(fd);
        return Fail(message, error, failurePrefix);
    };
    std::string_view rest = bytes;
    while (!rest.empty()) {
        ssize_t written = ::write(fd, rest.data(), rest.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return giveUp(errno);
        }
        rest.remove_prefix(static_cast<size_t>(written));
    }
    if (::fsync(fd) != 0) return giveUp(errno);
    return ::close(fd) == 0 || Fail(message, errno, failurePrefix);
}

bool ReadRecordLines(const std::string& path, std::vector<std::string>& lines, std::string& message) {
    std::string bytes;
    int error;
    if (!ReadFileBytes(path, bytes, error)) return Fail(message, error);
    lines.clear();
    for (std::string_view raw : SplitLines(bytes)) {
        // Undecodable bytes show as U+FFFD; the rest of the line stays usable.
        std::string text;
        Cp932ToUtf8(raw, text);
        lines.push_back(std::move(text));
    }
    return true;
}

bool RewriteRecordFile(const std::string& path, const std::vector<std::string>& lines, std::string& message) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += Utf8ToCp932(line);
        bytes += "\r\n";
    }
    const RecordFileLock lock(path);
    if (!lock.locked()) {
        message = kOpenFailed + lock.reason();
        return false;
    }
    std::string error;
    if (!WriteFileAtomically(path, bytes, error)) {
        message = kOpenFailed + error;
        return false;
    }
    return true;
}

std::vector<std::string> SplitRecordFields(const std::string& line) {
    std::vector<std::string> fields;
    for (std::string_view field : SplitCommaFields(line)) fields.emplace_back(field);
    return fields;
}

}  // namespace masuvo
