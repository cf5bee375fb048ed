// The settings store on QSettings: the integer keys live in the group
// "Settings" of the per-user store of the company "Vardelle".
#pragma once

#include <QSettings>
#include <memory>

#include "session/app_settings.h"

namespace masuvo {

class QtSettingsStore : public SettingsStore {
public:
    // The store of the company "Vardelle" under the program's name (the
    // executable's base name unless the application says otherwise).
    QtSettingsStore();
    // A given store, for tests.
    explicit QtSettingsStore(std::unique_ptr<QSettings> settings);

    int ReadInt(const std::string& key, int defaultValue) override;
    void WriteInt(const std::string& key, int value) override;
    void Sync();

    QSettings& settings() { return *settings_; }

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace masuvo
