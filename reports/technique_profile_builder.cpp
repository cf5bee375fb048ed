#include "reports/technique_profile_builder.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <system_error>
#include <tuple>

#include "engine/brute_force.h"
#include "engine/catalogue.h"
#include "engine/rating.h"
#include "engine/step_search.h"
#include "files/puzzle_file.h"
#include "records/practice_choice.h"
#include "records/practice_record.h"

namespace masuvo {

namespace {

namespace fs = std::filesystem;

constexpr int kStretch = 10;  // moves or drills in the progress figures

// One move or drill of a technique, in date order.
struct Event {
    std::string when;  // "YYYY/MM/DD HH:MM:SS"
    double ratio;      // kNoFigure without an estimate
    bool hinted;
};

double Median(std::vector<double> values) {
    if (values.empty()) return kNoFigure;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

FigureStretch StretchOf(std::vector<Event>::const_iterator begin, std::vector<Event>::const_iterator end) {
    FigureStretch stretch;
    std::vector<double> ratios;
    for (auto e = begin; e != end; ++e) {
        ++stretch.count;
        stretch.hinted += e->hinted ? 1 : 0;
        if (e->ratio != kNoFigure) ratios.push_back(e->ratio);
    }
    stretch.medianRatio = Median(std::move(ratios));
    return stretch;
}

std::string ModificationTime(const fs::path& file) {
    struct stat info;
    if (::stat(file.c_str(), &info) != 0) return "0000/00/00 00:00:00";
    return PracticeTimeText(info.st_mtime);
}

// A log entry the play could have written: a placement of 1–9 on a board of
// digits 0–9 whose cell holds that digit.
bool IsJudgedMove(const Log& move) {
    if (move.row < 0 || move.row > 8 || move.col < 0 || move.col > 8 || move.digit < 1 || move.digit > 9) return false;
    for (int32_t v : move.values)
        if (v < 0 || v > 9) return false;
    return move.values[CellIndex(move.row, move.col)] == move.digit;
}

struct FileItem {
    fs::path path;
    std::string when;
};

std::vector<FileItem> ListFiles(const std::vector<fs::path>& folders) {
    std::vector<FileItem> files;
    for (const fs::path& folder : folders) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const fs::path& path = it->path();
            // Temporary files of a save in progress start with a dot.
            if (path.filename().string().starts_with('.')) continue;
            std::error_code typeError;
            if (!it->is_regular_file(typeError)) continue;
            files.push_back({path, ModificationTime(path)});
        }
    }
    std::stable_sort(files.begin(), files.end(), [](const FileItem& a, const FileItem& b) {
        return a.when != b.when ? a.when < b.when : a.path < b.path;
    });
    return files;
}

// n from the digits right after prefix, or -1.
int SizeAfter(std::string_view sentence, std::string_view prefix, std::string_view& rest) {
    if (!sentence.starts_with(prefix)) return -1;
    rest = sentence.substr(prefix.size());
    int n = 0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), n);
    if (result.ec != std::errc() || result.ptr == rest.data()) return -1;
    rest.remove_prefix(static_cast<size_t>(result.ptr - rest.data()));
    return n;
}

bool IsLineUnit(std::string_view unit) { return unit == "(行)" || unit == "(列)"; }

}  // namespace

int TechniqueOfSentence(std::string_view s) {
    if (s.ends_with("。")) s.remove_suffix(std::string_view("。").size());
    if (s.ends_with("です")) s.remove_suffix(std::string_view("です").size());
    struct Fixed {
        std::string_view text;
        int technique;
    };
    static constexpr Fixed kFixed[] = {
        {"ブロックの完成", 0}, {"行の完成", 1},   {"列の完成", 1},   {"ブロック内の配置", 2}, {"行内の配置", 3},
        {"列内の配置", 3},     {"セルの完成", 4}, {"隠れた数字", 5}, {"波及効果", 6},         {"対角線", 19},
        {"三すくみ", 20},      {"ほぼ確定(三組)", 26},
    };
    for (const Fixed& f : kFixed)
        if (s == f.text) return f.technique;
    std::string_view rest;
    // The subsets: sizes 2–4 in a block or a line, and their hidden forms.
    for (const auto& [prefix, block, line] : {std::tuple{std::string_view("陰の定員確定"), 11, 14},
                                              std::tuple{std::string_view("定員確定"), 5, 8}}) {
        const int n = SizeAfter(s, prefix, rest);
        if (n < 2 || n > 4) continue;
        if (rest == "(ブロック)") return n + block;
        if (IsLineUnit(rest)) return n + line;
        return -1;
    }
    if (const int n = SizeAfter(s, "マトリックス", rest); (n == 3 || n == 4) && rest.empty()) return n + 18;
    if (const int n = SizeAfter(s, "ほぼ確定", rest); n >= 2 && n <= 4 && (rest == "(二組)" || rest == "(二組ダブル)"))
        return n + 21;
    // A chain names its length; the catalogue counts 1, 2 and longer.
    if (const int n = SizeAfter(s, "二択連鎖", rest); n >= 1 && rest.empty()) return n == 1 ? 27 : n == 2 ? 28 : 29;
    return -1;
}

bool TechniquesOfMoveText(std::string_view text, std::vector<int>& techniques) {
    techniques.clear();
    if (text == "不明です。" || text == "推定できません。") return true;
    if (text.empty()) return false;
    constexpr std::string_view kStop = "。";
    while (!text.empty()) {
        const size_t stop = text.find(kStop);
        const size_t length = stop == std::string_view::npos ? text.size() : stop + kStop.size();
        const int t = TechniqueOfSentence(text.substr(0, length));
        if (t < 0) return false;
        if (std::find(techniques.begin(), techniques.end(), t) == techniques.end()) techniques.push_back(t);
        text.remove_prefix(length);
    }
    return true;
}

std::vector<int> TechniquesOfLoggedMove(const Log& move) {
    std::vector<int> techniques;
    if (TechniquesOfMoveText(move.text, techniques)) return techniques;
    return JudgeLoggedMove(move).techniques;
}

MoveTechniques JudgeLoggedMove(const Log& move) {
    MoveTechniques result;
    if (!IsJudgedMove(move)) return result;
    const int cell = CellIndex(move.row, move.col);
    KR_solver counter;
    for (int k = 0; k < 81; ++k) counter.value[k / 9][k % 9] = k == cell ? 0 : move.values[k];
    KR_base unique;
    if (CountSolutions(counter, &unique) == 1 && unique.value[move.row][move.col] != move.digit) return result;

    KR_solver board;
    for (int k = 0; k < 81; ++k) board.value[k / 9][k % 9] = k == cell ? 0 : move.values[k];
    board.placeRow = move.row;
    board.placeCol = move.col;
    board.placeDigit = move.digit;
    if (StepSearch(board, true) != 1) return result;
    Usage usage;
    TallyUsage(board, usage);
    result.estimatedSeconds = DifficultyScore(usage);
    for (const Step& step : board.steps) {
        if (step.needed != 0) result.text += step.text;
        if (step.needed != 0 &&
            std::find(result.techniques.begin(), result.techniques.end(), step.technique) == result.techniques.end())
            result.techniques.push_back(step.technique);
    }
    return result;
}

TechniqueProfile BuildTechniqueProfile(const ProfileSources& sources) {
    TechniqueProfile profile;
    std::array<std::vector<Event>, kTechniqueCount> events;
    std::array<std::vector<double>, kTechniqueCount> ratios;

    const std::vector<FileItem> files = ListFiles(sources.folders);
    const int total = static_cast<int>(files.size());
    for (int i = 0; i < total; ++i) {
        if (sources.cancel && sources.cancel->load(std::memory_order_relaxed)) {
            profile.cancelled = true;
            break;
        }
        PuzzleFileData data;
        std::string message;
        if (!ReadPuzzleData(files[i].path.string(), data, message)) {
            ++profile.filesSkipped;
        } else {
            ++profile.filesRead;
            for (const Log& move : data.log) {
                const std::vector<int> techniques = TechniquesOfLoggedMove(move);
                const bool hinted = move.hinted || move.detailed || move.executed;
                // The estimate is the points the judging gave the move; a
                // move by ヒント実行 is worth none and has no ratio.
                const double ratio =
                    move.points > 0 ? static_cast<double>(move.seconds) / move.points : kNoFigure;
                for (int t : techniques) {
                    TechniqueFigures& f = profile.techniques[t];
                    ++f.moves;
                    f.hinted += hinted ? 1 : 0;
                    if (ratio != kNoFigure) ratios[t].push_back(ratio);
                    events[t].push_back({files[i].when, ratio, hinted});
                }
            }
        }
        if (sources.progress) sources.progress(i + 1, total);
    }

    if (!sources.practiceRecord.empty()) {
        const std::vector<PracticeEntry> record = ReadPracticeRecord(sources.practiceRecord, &profile.recordLinesSkipped);
        for (const PracticeEntry& entry : record) {
            TechniqueFigures& f = profile.techniques[entry.technique];
            f.box = NextPracticeBox(f.box, entry);
            ++f.drills;
            if (std::find(f.drillNumbers.begin(), f.drillNumbers.end(), entry.number) == f.drillNumbers.end())
                f.drillNumbers.push_back(entry.number);
            const bool helped = entry.hints > 0 || entry.details > 0 || entry.hintExecutions > 0 || !entry.solved;
            const double ratio =
                entry.estimatedSeconds > 0 ? static_cast<double>(entry.seconds) / entry.estimatedSeconds : kNoFigure;
            events[entry.technique].push_back({entry.when, ratio, helped});
        }
    }

    for (int t = 0; t < kTechniqueCount; ++t) {
        TechniqueFigures& f = profile.techniques[t];
        std::sort(f.drillNumbers.begin(), f.drillNumbers.end());
        f.medianRatio = Median(std::move(ratios[t]));
        std::vector<Event>& list = events[t];
        std::stable_sort(list.begin(), list.end(), [](const Event& a, const Event& b) { return a.when < b.when; });
        if (list.empty()) continue;
        f.lastMet = list.back().when.substr(0, 10);
        const auto stretch = static_cast<std::ptrdiff_t>(std::min<size_t>(kStretch, list.size()));
        f.first = StretchOf(list.begin(), list.begin() + stretch);
        f.last = StretchOf(list.end() - stretch, list.end());
    }
    return profile;
}

std::string FormatProfileRows(const TechniqueProfile& profile) {
    std::string rows;
    for (int t = 0; t < kTechniqueCount; ++t) {
        const TechniqueFigures& f = profile.techniques[t];
        char ratio[32] = "-";
        if (f.medianRatio != kNoFigure) {
            const auto r = std::to_chars(ratio, ratio + sizeof ratio - 1, f.medianRatio, std::chars_format::fixed, 2);
            *r.ptr = '\0';
        }
        rows += std::to_string(t) + '\t' + TechniqueName(t) + '\t' + std::to_string(f.moves) + '\t' +
                std::to_string(f.hinted) + '\t' + ratio + '\t' + (f.Met() ? f.lastMet : std::string("未経験")) + '\t' +
                std::to_string(f.box) + '\n';
    }
    return rows;
}

}  // namespace masuvo
