// Builds the technique profile from the finished copies (完成問題/ and any
// other folder the player names) and the practice record. Every judged move
// is judged again on its own board with its cell emptied, as the play
// judged it, which gives the catalogue indices of its needed steps exactly
// (the move texts name the line and block variants differently from the
// catalogue).
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "files/play_record.h"
#include "records/technique_profile.h"

namespace masuvo {

// What judging one logged move again finds.
struct MoveTechniques {
    std::vector<int> techniques;  // each once, in the order of the needed steps; none for 不明です。/推定できません。
    int32_t estimatedSeconds = 0;  // the points of the needed steps before any deduction for help
};
MoveTechniques JudgeLoggedMove(const Log& move);

struct ProfileSources {
    std::vector<std::filesystem::path> folders;  // finished copies; files directly inside, not below
    std::filesystem::path practiceRecord;       // empty: none
    // Called after every file with the files done and the files in all.
    std::function<void(int done, int total)> progress;
    const std::atomic<bool>* cancel = nullptr;
};

TechniqueProfile BuildTechniqueProfile(const ProfileSources& sources);

// The profile as tab-separated rows, one per technique: index, name, moves,
// hinted, median ratio ("%.2f", "-" without one), last date ("未経験" for a
// technique never met), box; each line ends in "\n".
std::string FormatProfileRows(const TechniqueProfile& profile);

}  // namespace masuvo
