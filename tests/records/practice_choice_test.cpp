#include "records/practice_choice.h"

#include <gtest/gtest.h>

#include <string>

namespace masuvo {
namespace {

// One drill's result in a short form: seconds, help (hints+詳細+ヒント実行),
// solved; the estimate is 10 s unless given.
struct Result {
    int seconds;
    int help;
    bool solved = true;
    int estimate = 10;
};

PracticeEntry EntryOf(int technique, const Result& r) {
    PracticeEntry e;
    e.technique = technique;
    e.number = 1;
    e.seconds = r.seconds;
    e.hints = r.help;
    e.solved = r.solved;
    e.estimatedSeconds = r.estimate;
    return e;
}

TEST(PracticeBox, FoldsTheRuleOverTheTechniquesEntries) {
    struct Case {
        const char* what;
        std::vector<Result> results;
        int box;
    };
    const Case cases[] = {
        {"never practised", {}, 0},
        {"clean and in time moves up", {{10, 0}}, 1},
        {"up to the top and no further", {{5, 0}, {5, 0}, {5, 0}, {5, 0}, {5, 0}, {5, 0}, {5, 0}}, 5},
        {"a hint sends back to 1", {{5, 0}, {5, 0}, {5, 0}, {5, 1}}, 1},
        {"over twice the estimate sends back to 1", {{5, 0}, {5, 0}, {5, 0}, {21, 0}}, 1},
        {"exactly twice keeps the box", {{5, 0}, {5, 0}, {20, 0}}, 2},
        {"a slow first drill lands in 1", {{15, 0}}, 1},
        {"unsolved sends back to 1", {{5, 0}, {5, 0}, {3, 0, false}}, 1},
        {"no estimate judges by help alone", {{500, 0, true, 0}, {900, 0, true, 0}}, 2},
        {"climbs again after a fall", {{5, 0}, {5, 0}, {5, 2}, {5, 0}}, 2},
        {"an estimate near the int limit is no overflow", {{2000000000, 0, true, 1756780606}}, 1},
        {"huge seconds over a huge estimate fall back", {{2147483647, 0, true, 1073741823}}, 1},
    };
    for (const Case& c : cases) {
        std::vector<PracticeEntry> record;
        for (const Result& r : c.results) {
            record.push_back(EntryOf(8, r));
            record.push_back(EntryOf(9, {999, 3, false}));  // another technique's entries do not count
        }
        EXPECT_EQ(PracticeBox(record, 8), c.box) << c.what;
    }
}

std::string Text(const std::vector<DrillChoice>& drills) {
    std::string text;
    for (const DrillChoice& d : drills) text += std::to_string(d.technique) + "#" + std::to_string(d.number) + " ";
    return text;
}

TEST(RecommendDrills, FollowsTheBoxesTheFiguresAndTheIntroductionOrder) {
    // t: box, moves, hinted, median ratio, drill numbers used
    struct Figures {
        int technique, box, moves, hinted;
        double ratio;
        std::vector<int> numbers;
    };
    struct Case {
        const char* what;
        std::vector<Figures> figures;
        int count;
        const char* drills;
    };
    const Case cases[] = {
        {"a new player starts with the basic techniques in catalogue order", {}, 10, "0#1 0#2 0#3 0#4 1#1 1#2 1#3 1#4 2#1 2#2 "},
        {"the weakest of the lowest box first, four at most, numbers not yet used",
         {{0, 2, 50, 0, 1.0, {}}, {1, 2, 50, 0, 1.0, {}}, {2, 2, 50, 0, 1.0, {}}, {3, 2, 50, 0, 1.0, {}},
          {4, 2, 50, 0, 1.0, {}},
          {5, 0, 10, 1, 1.0, {}}, {6, 0, 10, 5, 0.5, {1, 2, 4}}, {7, 0, 10, 5, 2.0, {}}, {19, 1, 3, 3, 9.0, {1}}},
         10, "7#1 7#2 7#3 7#4 6#3 6#5 6#6 6#7 5#1 5#2 "},
        {"basics below box 2 hold the unmet techniques back",
         {{0, 2, 5, 0, 1.0, {}}, {1, 2, 5, 0, 1.0, {}}, {2, 2, 5, 0, 1.0, {}}, {3, 1, 5, 0, 1.0, {}},
          {4, 2, 5, 0, 1.0, {}}},
         10, "3#1 3#2 3#3 3#4 0#1 0#2 0#3 0#4 1#1 1#2 "},
        {"learnt basics let one unmet technique in, after the box-0 ones",
         {{0, 3, 5, 0, 1.0, {}}, {1, 2, 5, 0, 1.0, {}}, {2, 2, 5, 0, 1.0, {}}, {3, 2, 5, 0, 1.0, {}},
          {4, 2, 5, 0, 1.0, {}}, {6, 0, 5, 1, 1.0, {}}},
         10, "6#1 6#2 6#3 6#4 5#1 5#2 5#3 5#4 1#1 1#2 "},
        {"more unmet ones only when the set would stay short",
         {{0, 5, 5, 0, 1.0, {}}, {1, 5, 5, 0, 1.0, {}}, {2, 5, 5, 0, 1.0, {}}, {3, 5, 5, 0, 1.0, {}},
          {4, 5, 5, 0, 1.0, {}}},
         30,
         "5#1 5#2 5#3 5#4 0#1 0#2 0#3 0#4 1#1 1#2 1#3 1#4 2#1 2#2 2#3 2#4 3#1 3#2 3#3 3#4 4#1 4#2 4#3 4#4 "
         "6#1 6#2 6#3 6#4 7#1 7#2 "},
    };
    for (const Case& c : cases) {
        TechniqueProfile profile;
        for (const Figures& f : c.figures) {
            TechniqueFigures& t = profile.techniques[f.technique];
            t.box = f.box;
            t.moves = f.moves;
            t.hinted = f.hinted;
            t.medianRatio = f.ratio;
            t.drillNumbers = f.numbers;
            t.drills = static_cast<int>(f.numbers.size());
        }
        EXPECT_EQ(Text(RecommendDrills(profile, c.count)), c.drills) << c.what;
    }
}

}  // namespace
}  // namespace masuvo
