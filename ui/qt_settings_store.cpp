#include "ui/qt_settings_store.h"

#include <QCoreApplication>

namespace masuvo {

namespace {
const QString kGroup = QStringLiteral("Settings");
}

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QStringLiteral("Vardelle"), QCoreApplication::applicationName())) {}

QtSettingsStore::QtSettingsStore(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}

int QtSettingsStore::ReadInt(const std::string& key, int defaultValue) {
    bool ok = false;
    const int value = settings_->value(kGroup + u'/' + QString::fromStdString(key), defaultValue).toInt(&ok);
    // A value that is not a number reads as the default, as a missing one does.
    return ok ? value : defaultValue;
}

void QtSettingsStore::WriteInt(const std::string& key, int value) {
    settings_->setValue(kGroup + u'/' + QString::fromStdString(key), value);
}

void QtSettingsStore::Sync() { settings_->sync(); }

}  // namespace masuvo
