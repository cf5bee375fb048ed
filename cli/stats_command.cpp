#include "cli/stats_command.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include "cli/puzzle_input.h"
#include "files/cp932.h"
#include "files/text_file.h"
#include "reports/history_statistics.h"

namespace masuvo::cli {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// $HOME without its trailing slashes; empty for the root folder, so that
// "/Documents" and not "//Documents" follows.
std::string HomeFolder() {
    const std::string home = WithoutTrailingSlashes(Environment("HOME"));
    return home == "/" ? std::string() : home;
}

// The value of XDG_<key>_DIR in user-dirs.dirs, empty when the file or the
// line is missing. Read the way the toolkit reads it: lines
// XDG_<key>_DIR=value, quotes around the value dropped, a leading $HOME
// replaced, the last such line winning.
std::string UserDirectory(std::string_view key) {
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty()) config = HomeFolder() + "/.config";
    std::string bytes;
    int error = 0;
    if (!ReadFileBytes(config + "/user-dirs.dirs", bytes, error, size_t{1} << 20)) return std::string();

    std::string result;
    for (std::string_view line : SplitLines(bytes)) {
        if (!line.starts_with("XDG_")) continue;
        const size_t marker = line.rfind("_DIR=");
        if (marker == std::string_view::npos || marker < 4 || line.substr(4, marker - 4) != key) continue;
        std::string_view value = line.substr(marker + 5);
        if (value.size() > 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        result = value.starts_with("$HOME") ? HomeFolder() + std::string(value.substr(5)) : std::string(value);
        result = WithoutTrailingSlashes(result);
    }
    return result;
}

int Usage() {
    std::fputs("usage: masuvo-cli stats [FILE]\n", stderr);
    return 2;
}

}  // namespace

std::string DocumentsFolder() {
    std::string documents = UserDirectory("DOCUMENTS");
    return documents.empty() ? HomeFolder() + "/Documents" : documents;
}

int RunStats(int argc, char** argv) {
    std::string path;
    int first = 2;
    if (first < argc && std::string_view(argv[first]) == "--") ++first;
    if (argc - first > 1) return Usage();
    if (argc - first == 1) {
        path = argv[first];
        // No options exist; a mistyped one must not be taken for a file name.
        if (first == 2 && path.size() > 1 && path.front() == '-') return Usage();
        if (path.empty()) return Usage();
    } else {
        path = DocumentsFolder() + "/マスヴォ２/達成記録.csv";
    }

    std::string bytes;
    int error = 0;
    if (!ReadFileBytes(path, bytes, error)) {
        std::fprintf(stderr, "masuvo-cli: %s: %s\n", path.c_str(), SystemErrorText(error).c_str());
        return 1;
    }
    const std::vector<std::string_view> raws = SplitLines(bytes);
    std::vector<std::string> lines;
    lines.reserve(raws.size());
    for (std::string_view raw : raws) {
        std::string text;
        Cp932ToUtf8(raw, text);
        lines.push_back(std::move(text));
    }

    const HistoryStatistics report(lines, LocalDateText(std::time(nullptr)));
    std::string out;
    out.reserve(bytes.size() / 8 + 64 * 1024);
    for (int page = 0; page < report.PageCount(); ++page) {
        if (page > 0) out += "\f\n";
        const std::string text = report.Page(page);
        for (size_t start = 0; start < text.size();) {
            size_t cr = text.find('\r', start);
            if (cr == std::string::npos) cr = text.size();
            out.append(text, start, cr - start);
            start = cr + 1;
        }
    }
    Write(out);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("masuvo-cli: standard output");
        return 1;
    }
    return 0;
}

}  // namespace masuvo::cli
