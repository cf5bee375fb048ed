#include "session/app_settings.h"

namespace masuvo {

AppSettings LoadSettings(SettingsStore&) { return AppSettings(); }
void SaveSettings(SettingsStore&, const AppSettings&) {}
DataFolders PrepareDataFolders(const std::string&, const std::string&) { return DataFolders(); }

}  // namespace masuvo
