#include "store/RecordingEntry.h"

#include "resources/StringTable.h"

namespace sonvelle {

void CRecordingEntry::CopyFrom(const CRecordingEntry& other)
{
    m_nState = other.m_nState;
    m_dwTagSize = other.m_dwTagSize;
    m_dtDate = other.m_dtDate;
    m_bProtected = other.m_bProtected;
    m_dtDuration = other.m_dtDuration;
    m_dwSize = other.m_dwSize;
    m_strKeyWord = other.m_strKeyWord;
    m_strName = other.m_strName;
    m_strNotes = other.m_strNotes;
    m_strFolder = other.m_strFolder;
    m_strArtist = other.m_strArtist;
    m_strGenre = other.m_strGenre;
}

QString CRecordingEntry::FilePath() const
{
    return m_strFolder + m_strName + LoadText(IDS_EXT_MP3);
}

}  // namespace sonvelle
