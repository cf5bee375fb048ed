#include "cli/engine_commands.h"

#include <string>

#include "cli/puzzle_input.h"
#include "engine/brute_force.h"
#include "engine/rating.h"
#include "engine/step_search.h"

namespace masuvo::cli {

namespace {

void LoadGrid(KR_solver& board, const KR_base& grid) {
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) board.value[r][c] = grid.value[r][c];
}

std::string JoinCounts(const int32_t values[kTechniqueCount]) {
    std::string text;
    for (int i = 0; i < kTechniqueCount; ++i) {
        if (i) text += ',';
        text += std::to_string(values[i]);
    }
    return text;
}

std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out.push_back(c);
    return out;
}

int ExitStatus(bool allGood) { return allGood ? 0 : 1; }

}  // namespace

int RunCount() {
    return ExitStatus(ForEachPuzzle(stdin, [](const KR_base& grid) {
        KR_solver board;
        LoadGrid(board, grid);
        KR_base solution;
        const int count = CountSolutions(board, &solution);
        Write(GridText(grid) + '\t' + std::to_string(count) + '\t' + (count > 0 ? GridText(solution) : "-") + '\n');
    }));
}

int RunRate() {
    return ExitStatus(ForEachPuzzle(stdin, [](const KR_base& grid) {
        KR_solver board;
        LoadGrid(board, grid);
        Usage usage;
        const int result = SolveByLogic(board, usage);
        const int32_t score = DifficultyScore(usage);
        const std::string rank = RankName(score);
        Write(GridText(grid) + '\t' + std::to_string(result) + '\t' + std::to_string(score) + '\t' +
              (rank.empty() ? "-" : rank) + '\t' + std::to_string(CandidateDisplayScore(usage)) + '\t' +
              JoinCounts(usage.count) + '\t' + JoinCounts(usage.follow) + '\n');
    }));
}

int RunLog() {
    return ExitStatus(ForEachPuzzle(stdin, [](const KR_base& grid) {
        KR_solver board;
        LoadGrid(board, grid);
        Usage usage;
        const int result = SolveByLogic(board, usage);
        std::string out = "# " + GridText(grid) + '\n' + WithoutCarriageReturns(board.logText) + "# result " +
                          std::to_string(result) + '\n';
        if (result == -1) out += board.errorText + '\n';
        Write(out);
    }));
}

int RunHint() {
    return ExitStatus(ForEachPuzzle(stdin, [](const KR_base& grid) {
        KR_solver board;
        LoadGrid(board, grid);
        const int result = StepSearch(board, false);
        std::string out = GridText(grid) + '\t' + std::to_string(result) + '\t';
        if (result == 1) {
            std::string texts;
            std::string indices;
            for (const Step& step : board.steps) {
                if (step.needed == 0) continue;
                texts += step.text;
                if (!indices.empty()) indices += ',';
                indices += std::to_string(step.technique);
            }
            out += std::to_string(board.placeRow) + ',' + std::to_string(board.placeCol) + ',' +
                   std::to_string(board.placeDigit) + '\t' + texts + '\t' + indices;
        } else if (result == -1) {
            out += "-\t" + board.errorText + "\t-";
        } else {
            out += "-\t-\t-";
        }
        Write(out + '\n');
    }));
}

}  // namespace masuvo::cli
