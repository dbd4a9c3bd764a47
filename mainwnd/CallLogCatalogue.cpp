#include "mainwnd/CallLogCatalogue.h"

#include "app/AppSettings.h"
#include "mainwnd/CallLog.h"
#include "platform/ProgramFolder.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

namespace sonvelle {

CRecordingEntry* CCallLogCatalogue::CreateRecording(const QString& operatorName)
{
    CRecordingEntry* entry = m_callLog.Catalogue().CreateEntry({}, operatorName);
    if (entry)
        entry->m_strOperator = operatorName;
    return entry;
}

CRecordingEntry* CCallLogCatalogue::FirstInState(int state)
{
    for (const auto& entry : m_callLog.Catalogue().Entries())
        if (entry->GetState() == state)
            return entry.get();
    return nullptr;
}

bool CCallLogCatalogue::Contains(const CRecordingEntry* entry) const
{
    return m_callLog.Catalogue().IndexOf(entry) >= 0;
}

void CCallLogCatalogue::SaveIndex()
{
    m_callLog.SavePending();
}

QString CCallLogCatalogue::WorkFolder() const
{
    const QString folder = m_callLog.Catalogue().Folder();
    return folder.isEmpty() ? WithTrailingSlash(m_settings.WorkDir) : folder;
}

}  // namespace sonvelle
