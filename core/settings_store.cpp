#include "core/settings_store.h"

namespace core {

SettingsStore::SettingsStore(const QString& path, QObject* parent) : QObject(parent), path_(path) {}

void SettingsStore::load() { LoadSettings(path_, values_, widths_); }

void SettingsStore::save() {
    Q_EMIT aboutToSave();
    SaveSettings(path_, values_, widths_);
}

}  // namespace core
