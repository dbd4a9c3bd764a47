#pragma once
// One recording in memory. Its file is always m_strFolder + m_strName + ".mp3".

#include "store/OleDateTime.h"

#include <QString>

#include <cstdint>

namespace sonvelle {

// Life states of an entry (m_nState).
enum RecordingState : std::int32_t {
    kStateSaved = 0,        // file and tag agree with the entry
    kStateTagPending = 1,   // the tag must be rewritten
    kStateRecording = 2,    // being recorded; no file under the name yet
    kStateOneFileAuto = 3,  // the growing single file of one-file auto-recording
};

// States of the entry's index record (m_nIndexState).
enum IndexState : std::int32_t { kIndexValid = 0, kIndexDeleted = 1, kIndexAddedByScan = 2 };

inline const QString kDefaultGenre = QStringLiteral("(24)Soundtrack");
inline const QString kDefaultArtist = QStringLiteral("Sonvelle");

class CRecordingEntry {
public:
    CRecordingEntry() = default;
    virtual ~CRecordingEntry() = default;
    CRecordingEntry(const CRecordingEntry&) = delete;
    CRecordingEntry& operator=(const CRecordingEntry&) = delete;

    // Copies everything but m_strOperator, m_bFound, m_nIndexState and m_dwIndexOffset.
    void CopyFrom(const CRecordingEntry& other);

    std::int32_t GetState() const { return m_nState; }
    void SetState(std::int32_t state) { m_nState = state; }
    // States 2 and 3 refuse delete, protect, play, join and mail.
    bool IsInUse() const { return m_nState == kStateRecording || m_nState == kStateOneFileAuto; }

    std::uint32_t GetTagSize() const { return m_dwTagSize; }
    void SetTagSize(std::uint32_t size) { m_dwTagSize = size; }

    QString FilePath() const;
    // The duration still has to be measured.
    bool IsDurationUnknown() const { return m_dtDuration.Value() == -1.0; }

    QString m_strName;
    COleDateTime m_dtDate;
    COleDateTime m_dtDuration;  // time of day; -1.0 = still to be measured
    std::uint32_t m_dwSize = 0;
    QString m_strNotes;
    bool m_bProtected = false;
    bool m_bFound = false;
    QString m_strKeyWord;  // run-time only: typed key word, "**del**" or "***"
    QString m_strFolder;   // ends with "/"
    QString m_strGenre = kDefaultGenre;
    QString m_strArtist = kDefaultArtist;
    QString m_strOperator;
    std::int32_t m_nIndexState = kIndexValid;
    std::uint32_t m_dwIndexOffset = 0;
    std::int32_t m_nState = kStateSaved;
    std::uint32_t m_dwTagSize = 0;
};

}  // namespace sonvelle
