#pragma once
// The recording control's catalogue: the call log's recordings and the work
// folder they live in.

#include "mainwnd/RecordingControlPorts.h"

namespace sonvelle {

class CCallLog;
struct CAppSettings;

class CCallLogCatalogue : public IRecordingCatalogue {
public:
    CCallLogCatalogue(CCallLog& callLog, const CAppSettings& settings) : m_callLog(callLog), m_settings(settings) {}

    CRecordingEntry* CreateRecording(const QString& operatorName) override;
    CRecordingEntry* FirstInState(int state) override;
    bool Contains(const CRecordingEntry* entry) const override;
    void SaveIndex() override;
    QString WorkFolder() const override;

private:
    CCallLog& m_callLog;
    const CAppSettings& m_settings;
};

}  // namespace sonvelle
