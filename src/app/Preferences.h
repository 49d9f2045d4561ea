#pragma once
// The user's preferences store, the program's only configuration. The program reads
// and writes QSettings("tarnwell", "Plenwick"); tests use the in-memory store.

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

namespace plenwick {

class Preferences {
public:
    virtual ~Preferences() = default;
    // The stored value of `key`, or `fallback` when none is stored.
    virtual QVariant value(const QString& key, const QVariant& fallback = {}) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;

    bool boolValue(const QString& key, bool fallback) const { return value(key, fallback).toBool(); }
};

// A flag as the store keeps it: a bool, or the text a settings file holds for one
// ("true" or "false", in any case). Anything else (a number, "0", "yes", an empty
// text) is no flag, and it and nothing stored give `fallback`.
bool storedFlag(const QVariant& value, bool fallback);

// Keys and defaults of the main program's preferences.
namespace PreferenceKeys {
inline const QString offerLeftoversOnCollect = QStringLiteral("offerLeftoversOnCollect");
inline constexpr bool offerLeftoversOnCollectDefault = true;
} // namespace PreferenceKeys

// Whether collecting or trashing an app offers to find its leftovers: on unless
// stored off. Read afresh at every use; the settings window and the state read it alike.
bool offerLeftoversOnCollect(const Preferences& preferences);

class SettingsPreferences final : public Preferences {
public:
    // A program's store: organisation "tarnwell", application "Plenwick" (the helper
    // keeps its own, "Plenwick Helper").
    explicit SettingsPreferences(const QString& application = QStringLiteral("Plenwick"));
    ~SettingsPreferences() override;
    QVariant value(const QString& key, const QVariant& fallback) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

private:
    std::unique_ptr<QSettings> settings_;
};

// A store that forgets everything when it goes away.
class MemoryPreferences final : public Preferences {
public:
    QVariant value(const QString& key, const QVariant& fallback) const override {
        auto it = values_.constFind(key);
        return it == values_.constEnd() ? fallback : *it;
    }
    void setValue(const QString& key, const QVariant& value) override { values_.insert(key, value); }
    void remove(const QString& key) override { values_.remove(key); }

private:
    QHash<QString, QVariant> values_;
};

} // namespace plenwick
