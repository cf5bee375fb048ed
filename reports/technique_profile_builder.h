// Builds the technique profile from the finished copies (完成問題/ and any
// other folder the player names) and the practice record. The techniques of
// a judged move come from the names in its text (the line variants are
// written 行/列 there, and sizes and chain lengths are in the names); a text
// that does not read that way is judged again on the move's own board with
// its cell emptied, as the play judged it.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/play_record.h"
#include "records/technique_profile.h"

namespace masuvo {

// The catalogue index a sentence of a move text names ("行内の配置です。",
// "定員確定2(列)。", "二択連鎖5。" …), -1 for none.
int TechniqueOfSentence(std::string_view sentence);
// The techniques a move text names, each once in order of first mention;
// false when a sentence names none (the list is then incomplete). The texts
// 不明です。 and 推定できません。 name none and read as true.
bool TechniquesOfMoveText(std::string_view text, std::vector<int>& techniques);

// What judging one logged move again finds.
struct MoveTechniques {
    std::vector<int> techniques;  // each once, in the order of the needed steps; none for 不明です。/推定できません。
    int32_t estimatedSeconds = 0;  // the points of the needed steps before any deduction for help
    std::string text;              // the needed steps' texts, as the play logs them
};
MoveTechniques JudgeLoggedMove(const Log& move);
// The move's techniques: from its text, or judged again when the text does
// not name them.
std::vector<int> TechniquesOfLoggedMove(const Log& move);

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
