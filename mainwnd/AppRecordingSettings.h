#pragma once
// The recording control's settings, read from the application's settings as
// the settings store holds them now.

#include "mainwnd/RecordingControlPorts.h"

namespace sonvelle {

class CSettingsStore;
struct CAppSettings;

class CAppRecordingSettings : public IRecordingSettings {
public:
    CAppRecordingSettings(const CAppSettings& settings, CSettingsStore& store) : m_settings(settings), m_store(store) {}

    RecordingSettings Current() const override;
    void ReloadAutoRecordingValues() override;
    void SaveThreshold(int threshold) override;

private:
    const CAppSettings& m_settings;
    CSettingsStore& m_store;
};

}  // namespace sonvelle
