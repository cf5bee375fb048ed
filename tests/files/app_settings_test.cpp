#include "session/app_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/files/temp_folder.h"

namespace masuvo {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

class MapStore : public SettingsStore {
public:
    int ReadInt(const std::string& key, int defaultValue) override {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : it->second;
    }
    void WriteInt(const std::string& key, int value) override { values[key] = value; }

    std::map<std::string, int> values;
};

TEST(AppSettings, AnEmptyStoreGivesTheDefaults) {
    MapStore store;
    AppSettings settings = LoadSettings(store);
    EXPECT_EQ(settings.size, 50);
    EXPECT_EQ(settings.font_size, 45);
    EXPECT_EQ(settings.time_disp, 1);
    EXPECT_EQ(settings.create_number, 1);
    EXPECT_EQ(settings.create_rank, 0);
    EXPECT_EQ(settings.create_symmetry, 0);
    EXPECT_EQ(settings.difficult_number, 1);
    EXPECT_EQ(settings.difficult_rank, 0);
    EXPECT_EQ(settings.difficult_symmetry, 0);
    EXPECT_EQ(settings.hard_number, 1);
    EXPECT_EQ(settings.hard_symmetry, 0);
    EXPECT_EQ(settings.volume, 50);
    EXPECT_EQ(settings.wood_pattern, 0);
}

TEST(AppSettings, SavesAllThirteenKeysAndReadsThemBack) {
    AppSettings settings;
    int value = 2;
    for (int* field : {&settings.size, &settings.font_size, &settings.time_disp, &settings.create_number,
                       &settings.create_rank, &settings.create_symmetry, &settings.difficult_number,
                       &settings.difficult_rank, &settings.difficult_symmetry, &settings.hard_number,
                       &settings.hard_symmetry, &settings.volume, &settings.wood_pattern})
        *field = value++;
    MapStore store;
    SaveSettings(store, settings);
    EXPECT_EQ(store.values, (std::map<std::string, int>{
                                {"size", 2}, {"font_size", 3}, {"time_disp", 4}, {"create_number", 5},
                                {"create_rank", 6}, {"create_symmetry", 7}, {"difficult_number", 8},
                                {"difficult_rank", 9}, {"difficult_symmetry", 10}, {"hard_number", 11},
                                {"hard_symmetry", 12}, {"volume", 13}, {"wood_pattern", 14}}));
    AppSettings loaded = LoadSettings(store);
    EXPECT_EQ(loaded.hard_symmetry, 12);
    EXPECT_EQ(loaded.volume, 13);
    // Unchanged settings are written back too.
    MapStore defaults;
    SaveSettings(defaults, AppSettings());
    EXPECT_EQ(defaults.values.size(), 13u);
    EXPECT_EQ(defaults.values["volume"], 50);
}

TEST(AppSettings, RepairsOnlyValuesThatCannotWork) {
    struct Case {
        const char* key;
        int stored;
        int AppSettings::*member;
        int expected;
    };
    const Case cases[] = {
        {"size", 0, &AppSettings::size, 50},
        {"size", -60, &AppSettings::size, 50},
        {"size", 45, &AppSettings::size, 45},
        {"size", 1, &AppSettings::size, 1},
        {"font_size", 0, &AppSettings::font_size, 45},
        {"font_size", -1, &AppSettings::font_size, 45},
        {"font_size", 41, &AppSettings::font_size, 41},
        {"volume", 101, &AppSettings::volume, 100},
        {"volume", -5, &AppSettings::volume, 0},
        {"volume", 0, &AppSettings::volume, 0},
        {"volume", 100, &AppSettings::volume, 100},
        {"time_disp", 7, &AppSettings::time_disp, 7},
        {"create_rank", -3, &AppSettings::create_rank, -3},
        {"wood_pattern", 2, &AppSettings::wood_pattern, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + std::to_string(c.stored));
        MapStore store;
        store.values[c.key] = c.stored;
        EXPECT_EQ(LoadSettings(store).*c.member, c.expected);
    }
}

TEST(DataFolders, FirstStartCreatesTheFoldersAndCopiesTheExamples) {
    TempFolder root;
    fs::path documents = root.path() / "Documents";
    fs::path program = root.path() / "bin";
    fs::create_directories(program / "例題" / "初級");
    test::WriteBytes((program / "例題" / "a.kzd").string(), "first");
    test::WriteBytes((program / "例題" / "初級" / "b.kzd").string(), "nested");

    DataFolders folders = PrepareDataFolders(documents.string(), program.string());
    fs::path data = documents / "マスヴォ２";
    EXPECT_EQ(folders.dataFolder, data.string());
    EXPECT_EQ(folders.finishedFolder, (data / "完成問題").string());
    EXPECT_EQ(folders.tempFolder, (data / ".tmp").string());
    EXPECT_EQ(folders.recordPath, (data / "達成記録.csv").string());
    EXPECT_TRUE(fs::is_directory(data / "完成問題"));
    EXPECT_TRUE(fs::is_directory(data / ".tmp"));
    EXPECT_EQ(test::ReadBytes((data / "例題" / "a.kzd").string()), "first");
    EXPECT_EQ(test::ReadBytes((data / "例題" / "初級" / "b.kzd").string()), "nested");
    // The staging copy is gone, and the record file is not made here.
    EXPECT_TRUE(fs::is_empty(data / ".tmp"));
    EXPECT_FALSE(fs::exists(folders.recordPath));

    // Later starts leave the player's examples alone, changed or not.
    fs::remove(data / "例題" / "a.kzd");
    test::WriteBytes((program / "例題" / "new.kzd").string(), "new");
    PrepareDataFolders(documents.string(), program.string());
    EXPECT_FALSE(fs::exists(data / "例題" / "a.kzd"));
    EXPECT_FALSE(fs::exists(data / "例題" / "new.kzd"));
}

TEST(DataFolders, AnIncompleteCopyIsNotKeptAndIsTriedAgain) {
    TempFolder root;
    fs::path documents = root.path() / "Documents";
    fs::path program = root.path() / "bin";
    fs::create_directories(program / "例題");
    test::WriteBytes((program / "例題" / "a.kzd").string(), "first");
    fs::create_symlink(root.path() / "nowhere", program / "例題" / "broken.kzd");

    DataFolders folders = PrepareDataFolders(documents.string(), program.string());
    EXPECT_FALSE(fs::exists(fs::path(folders.dataFolder) / "例題"));
    EXPECT_TRUE(fs::is_empty(folders.tempFolder));

    fs::remove(program / "例題" / "broken.kzd");
    PrepareDataFolders(documents.string(), program.string());
    EXPECT_EQ(test::ReadBytes(folders.dataFolder + "/例題/a.kzd"), "first");
}

TEST(DataFolders, WithoutProgramExamplesNothingIsCopied) {
    TempFolder root;
    fs::path documents = root.path() / "Documents";
    fs::create_directories(documents / "マスヴォ２" / "完成問題");
    test::WriteBytes((documents / "マスヴォ２" / "完成問題" / "done.kzd").string(), "kept");
    DataFolders folders = PrepareDataFolders(documents.string(), (root.path() / "bin").string());
    EXPECT_FALSE(fs::exists(documents / "マスヴォ２" / "例題"));
    EXPECT_TRUE(fs::is_directory(folders.tempFolder));
    EXPECT_EQ(test::ReadBytes(folders.finishedFolder + "/done.kzd"), "kept");
}

}  // namespace
}  // namespace masuvo
