#include "session/developer_tools.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/text_format.h"
#include "generator/creation.h"
#include "generator/diversify.h"
#include "generator/kr_generator.h"
#include "engine/rating.h"
#include "session/session_text.h"
#include "reports/evaluation_report.h"
#include "reports/text_columns.h"

namespace masuvo {

namespace {

bool HasPuzzleExtension(const std::string& name) {
    if (name.size() < 4) return false;
    std::string extension = name.substr(name.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension == ".kzd";
}

bool Continue(const BatchProgress& progress, int index, int total) { return !progress || progress(index, total); }

}  // namespace

std::vector<std::string> ListPuzzleFiles(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return paths;
    for (const std::filesystem::directory_entry& entry : it) {
        std::error_code kindError;
        if (!entry.is_regular_file(kindError)) continue;
        const std::string name = entry.path().filename().string();
        if (HasPuzzleExtension(name)) paths.push_back(entry.path().string());
    }
    // The system's enumeration order is arbitrary; a report is easier to
    // compare when it lists the files by name.
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string EvaluateFiles(PlaySession& session, const std::vector<std::string>& paths, const BatchProgress& progress) {
    std::vector<EvaluatedFile> files;
    files.reserve(paths.size());
    const int total = static_cast<int>(paths.size());
    for (int i = 0; i < total; ++i) {
        if (!Continue(progress, i, total)) break;
        EvaluatedFile file;
        file.title = FileStem(paths[static_cast<size_t>(i)]);
        file.readable = session.ReadPuzzleFile(paths[static_cast<size_t>(i)]);
        if (file.readable) {
            // The board now holds this puzzle: its name goes with it.
            session.SetName(file.title);
            file.solutionCount = session.solutionCount;
            file.solvable = session.solvable;
            file.difficulty = session.difficulty;
            file.usage = session.usageNow;
        }
        files.push_back(std::move(file));
    }
    return EvaluationReport(files);
}

std::string ResaveFiles(PlaySession& session, const std::vector<std::string>& paths, const BatchProgress& progress) {
    std::string list;
    const int total = static_cast<int>(paths.size());
    for (int i = 0; i < total; ++i) {
        if (!Continue(progress, i, total)) break;
        const std::string& path = paths[static_cast<size_t>(i)];
        std::string line = Format("%3d  ", i + 1) + FileStem(path);
        // A file that did not read is never written over with whatever the
        // session held before, and a failed write is not listed as done.
        if (!session.ReadPuzzleFile(path))
            line += "  ファイルを読込めません。";
        else if (!session.WritePuzzleFile(path))
            line += "  ファイルを保存できません。";
        list += line + "\r\n";
    }
    return list;
}

void SkipTrivialSteps(PlaySession& session, SessionView& view) {
    if (session.mode != 1) {
        view.ShowMessageBox("解答実行中でないと実行できません。");
        return;
    }
    for (int step = 0; step < 81; ++step) {
        session.RequestHint();
        if (session.hintDialogOpen) return;
        // No placement found (or a contradiction): nothing to execute.
        if (session.hintRow < 0 || session.hintCol < 0 || session.hintDigit == 0) return;
        session.ExecuteHint();
        if (session.mode == 3) return;
    }
}

void DiversifyPuzzle(PlaySession& session, SessionView& view, uint64_t seed) {
    KR_base grid;
    for (int k = 0; k < 81; ++k) grid.value[k / 9][k % 9] = session.values[k];
    session.ResetSession();
    const KR_base changed = Diversify(grid, seed);
    for (int k = 0; k < 81; ++k) {
        const int32_t digit = changed.value[k / 9][k % 9];
        if (digit < 1 || digit > 9) continue;
        session.values[k] = digit;
        session.origin[k] = 1;
    }
    session.SetName(session.name + "_変更");
    view.SetText(Field::Name, session.name);
    view.SetText(Field::Message, "");
    session.CheckState(true, "");
}

std::string SeriesPuzzleName(int rank, int number, int symmetry) {
    return Format("自動作成_%02d_%05d_(%s)[%s]_%d", rank, number, RankNameOfIndex(rank), SymmetryName(symmetry),
                  number);
}

int SaveCreatedSeries(PlaySession& session, SessionView& view, const std::string& folder, int start, int symmetry,
                      const std::vector<std::vector<KR_base>>& results) {
    int written = 0;
    for (size_t rank = 0; rank < results.size(); ++rank) {
        for (size_t k = 0; k < results[rank].size(); ++k) {
            const int number = start + static_cast<int>(k);
            const std::string name = SeriesPuzzleName(static_cast<int>(rank), number, symmetry);
            LoadCreatedPuzzle(session, results[rank][k], name);
            view.SetText(Field::Name, session.name);
            if (session.WritePuzzleFile(folder + "/" + SafeFileNamePart(name) + ".kzd")) ++written;
        }
    }
    return written;
}

}  // namespace masuvo
