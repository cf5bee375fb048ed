#include "session/app_settings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace masuvo {

namespace {

// The keys of the store, in the order they are written; each names the
// member that holds it.
struct SettingKey {
    const char* name;
    int AppSettings::*member;
};

constexpr SettingKey kKeys[] = {
    {"size", &AppSettings::size},
    {"font_size", &AppSettings::font_size},
    {"time_disp", &AppSettings::time_disp},
    {"create_number", &AppSettings::create_number},
    {"create_rank", &AppSettings::create_rank},
    {"create_symmetry", &AppSettings::create_symmetry},
    {"difficult_number", &AppSettings::difficult_number},
    {"difficult_rank", &AppSettings::difficult_rank},
    {"difficult_symmetry", &AppSettings::difficult_symmetry},
    {"hard_number", &AppSettings::hard_number},
    {"hard_symmetry", &AppSettings::hard_symmetry},
    {"volume", &AppSettings::volume},
    {"wood_pattern", &AppSettings::wood_pattern},
};

constexpr const char* kDataFolderName = "マスヴォ２";
constexpr const char* kFinishedFolderName = "完成問題";
constexpr const char* kTempFolderName = ".tmp";
constexpr const char* kExampleFolderName = "例題";
constexpr const char* kRecordFileName = "達成記録.csv";

// Copies the example folder through a staging copy inside the temporary
// folder and renames it into place only when complete: a copy cut short
// would otherwise count as "already copied" on every later start.
void CopyExamples(const std::filesystem::path& source, const std::filesystem::path& target,
                  const std::filesystem::path& tempFolder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path staging = tempFolder / (std::string(kExampleFolderName) + ".copying");
    fs::remove_all(staging, ec);
    fs::copy(source, staging, fs::copy_options::recursive, ec);
    if (!ec) fs::rename(staging, target, ec);
    if (ec) fs::remove_all(staging, ec);
}

}  // namespace

AppSettings LoadSettings(SettingsStore& store) {
    AppSettings settings;
    const AppSettings defaults;
    for (const SettingKey& key : kKeys) settings.*key.member = store.ReadInt(key.name, defaults.*key.member);
    // Sizes of zero or less would make an empty board and a zero-point font.
    if (settings.size <= 0) settings.size = defaults.size;
    if (settings.font_size <= 0) settings.font_size = defaults.font_size;
    settings.volume = std::clamp(settings.volume, 0, 100);
    return settings;
}

void SaveSettings(SettingsStore& store, const AppSettings& settings) {
    for (const SettingKey& key : kKeys) store.WriteInt(key.name, settings.*key.member);
}

DataFolders PrepareDataFolders(const std::string& documentsFolder, const std::string& programFolder) {
    namespace fs = std::filesystem;
    fs::path data = fs::path(documentsFolder) / kDataFolderName;
    fs::path finished = data / kFinishedFolderName;
    fs::path temp = data / kTempFolderName;

    // Failures are not reported here: the file operations in these folders
    // report their own.
    std::error_code ec;
    fs::create_directories(data, ec);
    fs::create_directories(finished, ec);
    fs::create_directories(temp, ec);

    fs::path examples = data / kExampleFolderName;
    fs::path programExamples = fs::path(programFolder) / kExampleFolderName;
    if (!fs::is_directory(examples, ec) && fs::is_directory(programExamples, ec))
        CopyExamples(programExamples, examples, temp);

    DataFolders folders;
    folders.dataFolder = data.string();
    folders.finishedFolder = finished.string();
    folders.tempFolder = temp.string();
    folders.recordPath = (data / kRecordFileName).string();
    return folders;
}

}  // namespace masuvo
