#pragma once
// The settings key as the options pages use it: opened with read and write
// rights for one step, values by their setting, flags as "1" / "0".

#include "app/AppSettings.h"
#include "platform/Registry.h"

#include <QString>

#include <optional>

namespace sonvelle {

class COptionsKey {
public:
    static constexpr int kTextBytes = 260;

    bool Open() { return m_key.Open(Hive::CurrentUser, SettingsKeyPath(), true); }
    void Close() { m_key.Close(); }

    std::optional<QString> Read(ESetting setting, int bytes = kTextBytes) const
    {
        return m_key.ReadText(SettingName(setting), bytes);
    }
    QString Text(ESetting setting, const QString& fallback, int bytes = kTextBytes) const
    {
        return Read(setting, bytes).value_or(fallback);
    }
    bool Flag(ESetting setting, bool fallback, int bytes = kTextBytes) const
    {
        const auto text = Read(setting, bytes);
        return text ? IsFlagOn(*text) : fallback;
    }
    void Write(ESetting setting, const QString& text) { m_key.WriteText(SettingName(setting), text); }
    void WriteFlag(ESetting setting, bool on) { Write(setting, on ? QStringLiteral("1") : QStringLiteral("0")); }

private:
    CRegKey m_key;
};

}  // namespace sonvelle
