// masuvo-cli: the engine's command-line front door.
#include <cstdio>
#include <cstring>

#include "cli/creation_commands.h"
#include "cli/engine_commands.h"
#include "cli/judge_command.h"
#include "cli/report_commands.h"
#include "cli/profile_command.h"
#include "cli/stats_command.h"
#include "cli/vision_program.h"
#include "session/play_session.h"

namespace {

void PrintUsage(std::FILE* out = stderr) {
    std::fputs(
        "usage: masuvo-cli COMMAND < puzzles\n"
        "  count   puzzle, solution count (-1/0/1/2), solution or -\n"
        "  rate    puzzle, result, difficulty, rank, candidate-display score, counts, follows\n"
        "  log     the solution log of each puzzle\n"
        "  hint    puzzle, result, row,col,digit, texts of the needed steps, their techniques\n"
        "  judge [FILE...]        lines \"puzzle<TAB>row,col,digit;...\" (0-based): each move typed while\n"
        "                         solving; per move its number, row,col,digit, the judged text\n"
        "                         (不明です。, 推定できません。 or the needed steps), points, techniques or -\n"
        "  steps   the solution-steps report of each puzzle\n"
        "  evaluate FILE.kzd...   the evaluation report of the puzzle files\n"
        "  stats [FILE]           the history statistics of an achievement record file\n"
        "                         (default: <Documents>/マスヴォ２/達成記録.csv)\n"
        "  profile [--record FILE] [FOLDER...]\n"
        "                         the technique profile of the finished copies and the practice record:\n"
        "                         index, name, moves, hinted, median time ratio, last date, box\n"
        "                         (default: <Documents>/マスヴォ２/完成問題 and 練習記録.csv)\n"
        "  create --number N --rank R --symmetry S [--technique K] [--threads T]\n"
        "                         puzzle, name, seconds\n"
        "                         (K: a catalogue index 0-29 or a technique's name, used at least once)\n"
        "  drill --technique K [--number N] [--threads T]\n"
        "                         a position whose next placement needs technique K: position,\n"
        "                         answer row,col,digit (0-based), needed steps' texts, techniques\n"
        "  unsolvable --number N --symmetry S [--threads T]        puzzle, name, seconds\n"
        "  recognize [--model PATH] IMAGE...   picture, board read from it (81 chars) or -,\n"
        "                                      doubtful cells (row,col;... 0-based) or -\n"
        "                         (model default: Masuvo.dat beside the program, then ../share/masuvo)\n"
        "  --help, --version      this text, the version\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    // kVersionText is "version X.Y.Z", as the window shows it.
    if (std::strcmp(command, "--version") == 0) {
        std::printf("masuvo-cli %s\n", std::strchr(masuvo::kVersionText, ' ') + 1);
        return 0;
    }
    if (std::strcmp(command, "count") == 0) return masuvo::cli::RunCount();
    if (std::strcmp(command, "rate") == 0) return masuvo::cli::RunRate();
    if (std::strcmp(command, "log") == 0) return masuvo::cli::RunLog();
    if (std::strcmp(command, "hint") == 0) return masuvo::cli::RunHint();
    if (std::strcmp(command, "steps") == 0) return masuvo::cli::RunSteps();
    if (std::strcmp(command, "judge") == 0) return masuvo::cli::RunJudge(argc, argv);
    if (std::strcmp(command, "evaluate") == 0) return masuvo::cli::RunEvaluate(argc, argv);
    if (std::strcmp(command, "stats") == 0) return masuvo::cli::RunStats(argc, argv);
    if (std::strcmp(command, "profile") == 0) return masuvo::cli::RunProfile(argc, argv);
    if (std::strcmp(command, "create") == 0) return masuvo::cli::RunCreate(argc, argv);
    if (std::strcmp(command, "drill") == 0) return masuvo::cli::RunDrill(argc, argv);
    if (std::strcmp(command, "unsolvable") == 0) return masuvo::cli::RunUnsolvable(argc, argv);
    if (std::strcmp(command, "recognize") == 0) return masuvo::cli::RunVisionProgram(argc, argv);
    std::fprintf(stderr, "masuvo-cli: unknown command '%s'\n", command);
    PrintUsage();
    return 2;
}
