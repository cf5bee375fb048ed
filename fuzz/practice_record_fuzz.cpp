// The practice record 練習記録.csv: the lenient reader, the boxes and weeks
// folded from what it read, an entry appended after whatever the file held;
// and the same bytes as a move text whose technique names the profile reads.
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "records/practice_choice.h"
#include "records/practice_progress.h"
#include "records/practice_record.h"
#include "reports/technique_profile_builder.h"

namespace {

using namespace masuvo;

constexpr size_t kMaxInput = 64 * 1024;

bool Same(const PracticeEntry& a, const PracticeEntry& b) {
    return a.when == b.when && a.technique == b.technique && a.number == b.number && a.seconds == b.seconds &&
           a.hints == b.hints && a.details == b.details && a.hintExecutions == b.hintExecutions &&
           a.solved == b.solved && a.estimatedSeconds == b.estimatedSeconds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    fuzz::ClearScratchFolder();
    const std::string path = fuzz::ScratchFolder() + "/" + kPracticeRecordName;
    const std::string input(reinterpret_cast<const char*>(data), size);
    fuzz::WriteScratchFile(path, input);

    int skipped = -1;
    const std::vector<PracticeEntry> entries = ReadPracticeRecord(path, &skipped);
    fuzz::Require(skipped >= 0, "the skipped lines are counted");
    fuzz::Require(fuzz::ReadWholeFile(path) == input, "reading never changes the file");
    for (const PracticeEntry& e : entries) {
        PracticeEntry again;
        fuzz::Require(ParsePracticeRecordLine(PracticeRecordLine(e), again) && Same(e, again),
                      "an entry read writes back to the same entry");
    }
    for (int t = 0; t < kTechniqueCount; ++t) {
        const int box = PracticeBox(entries, t);
        fuzz::Require(box >= 0 && box <= kTopBox, "a box is 0 to 5");
        for (const DrillWeek& week : DrillWeeks(entries, t)) fuzz::Require(week.drills > 0, "no empty week is listed");
    }

    PracticeEntry entry;
    entry.when = "2026/12/01 09:00:00";
    entry.technique = 19;
    entry.number = 1;
    std::string error;
    fuzz::Require(AppendPracticeEntry(path, entry, &error), "an entry is appended to any file");
    const std::string after = fuzz::ReadWholeFile(path);
    fuzz::Require(after.compare(0, input.size(), input) == 0, "the bytes before the new entry are kept");
    const std::vector<PracticeEntry> more = ReadPracticeRecord(path);
    fuzz::Require(more.size() == entries.size() + 1 && Same(more.back(), entry), "the new entry reads back last");

    std::vector<int> techniques;
    TechniquesOfMoveText(input, techniques);
    for (int t : techniques) fuzz::Require(t >= 0 && t < kTechniqueCount, "a text names catalogue techniques");
    return 0;
}
