// The thirteen settings and the per-user folders. The Qt layer supplies the
// store (QSettings); tests supply a map.
#pragma once

#include <string>

namespace masuvo {

struct AppSettings {
    int size = 50;
    int font_size = 45;
    int time_disp = 1;
    int create_number = 1;
    int create_rank = 0;
    int create_symmetry = 0;
    int difficult_number = 1;
    int difficult_rank = 0;
    int difficult_symmetry = 0;
    int hard_number = 1;
    int hard_symmetry = 0;
    int volume = 50;
    int wood_pattern = 0;
};

// A per-user key-value store of integers (section "Settings").
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual int ReadInt(const std::string& key, int defaultValue) = 0;
    virtual void WriteInt(const std::string& key, int value) = 0;
};

AppSettings LoadSettings(SettingsStore& store);
void SaveSettings(SettingsStore& store, const AppSettings& settings);

struct DataFolders {
    std::string dataFolder;      // <Documents>/マスヴォ２
    std::string finishedFolder;  // <data>/完成問題
    std::string tempFolder;      // <data>/.tmp
    std::string recordPath;      // <data>/達成記録.csv
};

// Creates the folders when missing (failures are not reported) and copies
// <programFolder>/例題 into the data folder when the data folder has none.
DataFolders PrepareDataFolders(const std::string& documentsFolder, const std::string& programFolder);

}  // namespace masuvo
