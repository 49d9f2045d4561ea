#include "app/Preferences.h"

#include <QSettings>

namespace plenwick {

bool storedFlag(const QVariant& value, bool fallback) {
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    // A settings file gives a stored flag back as the text it wrote for it.
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    }
    return fallback;
}

bool offerLeftoversOnCollect(const Preferences& preferences) {
    return storedFlag(preferences.value(PreferenceKeys::offerLeftoversOnCollect),
                      PreferenceKeys::offerLeftoversOnCollectDefault);
}

SettingsPreferences::SettingsPreferences(const QString& application)
    : settings_(std::make_unique<QSettings>(QStringLiteral("tarnwell"), application)) {}

SettingsPreferences::~SettingsPreferences() = default;

QVariant SettingsPreferences::value(const QString& key, const QVariant& fallback) const {
    return settings_->value(key, fallback);
}

void SettingsPreferences::setValue(const QString& key, const QVariant& value) { settings_->setValue(key, value); }

void SettingsPreferences::remove(const QString& key) { settings_->remove(key); }

} // namespace plenwick
