#include "app/Preferences.h"

#include <QSettings>

namespace plenwick {

SettingsPreferences::SettingsPreferences(const QString& application)
    : settings_(std::make_unique<QSettings>(QStringLiteral("tarnwell"), application)) {}

SettingsPreferences::~SettingsPreferences() = default;

QVariant SettingsPreferences::value(const QString& key, const QVariant& fallback) const {
    return settings_->value(key, fallback);
}

void SettingsPreferences::setValue(const QString& key, const QVariant& value) { settings_->setValue(key, value); }

void SettingsPreferences::remove(const QString& key) { settings_->remove(key); }

} // namespace plenwick
