#pragma once
// The catalogue: every recording of the work folder, in display order, with
// the index file that caches their tags so that start-up reads only the
// directory.

#include "store/IndexFile.h"
#include "store/RecordingEntry.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace sonvelle {

class IDurationMeter;

// The progress window of SavePending (shown when more than 2 tags are due).
class ISaveProgress {
public:
    virtual ~ISaveProgress() = default;
    virtual void Begin(int range) = 0;
    virtual void Step() = 0;
    virtual void End() = 0;
};

// List-view columns; their numbers are the sort keys.
enum RecordingColumn {
    kColumnImage = 0,
    kColumnName = 1,
    kColumnDate = 2,
    kColumnTime = 3,
    kColumnNotes = 4,
    kColumnDuration = 5,
    kColumnSize = 6,
    kColumnProtected = 7,
    kColumnOperator = 8,
};

class CRecordingList {
public:
    using EntryList = std::vector<std::unique_ptr<CRecordingEntry>>;

    CRecordingList();
    virtual ~CRecordingList();
    CRecordingList(const CRecordingList&) = delete;
    CRecordingList& operator=(const CRecordingList&) = delete;

    // Fills the catalogue from folder (the own folder when empty). False only
    // when the folder cannot be entered; then nothing is added.
    bool Load(const QString& folder = {});
    // The index path of Load: true when the index was opened.
    bool LoadFromIndex(const QString& folder);
    // Makes an entry from a file the index does not know; none for the work files.
    CRecordingEntry* AddFileEntry(const QString& path, const QString& folder);
    // By name ignoring case (an exact match first, then the first not yet found).
    bool MarkFound(const QString& name, bool mark, std::uint32_t size);
    // Exact, case-sensitive; the first in list order.
    CRecordingEntry* FindByName(const QString& name) const;
    // Takes the entry; appends its record when the index is open.
    CRecordingEntry* AddEntry(std::unique_ptr<CRecordingEntry> entry);
    // A new entry in state 2 with a free default name, appended.
    CRecordingEntry* CreateEntry(const QString& baseName = {}, const QString& prefix = {});
    // Removes and deletes an entry; its index record is marked deleted.
    void RemoveEntry(CRecordingEntry* entry);

    // Stable sort of the display order; see RecordingColumn for the keys.
    bool Sort(int column, bool ascending);
    // Writes the tag of every entry in state 1; false when any write failed.
    bool SavePending(ISaveProgress* progress = nullptr);
    // Re-reads one file (measuring its duration) and rewrites its record.
    void RefreshEntry(CRecordingEntry& entry);
    // Rewrites the entry's index record, when the index is open.
    bool UpdateIndexRecord(CRecordingEntry& entry);
    // Deletes the index file and loads again from the tags.
    void RecreateIndex();
    void Clear();

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    CRecordingEntry* GetAt(int position) const { return m_entries.at(static_cast<std::size_t>(position)).get(); }
    const EntryList& Entries() const { return m_entries; }
    int IndexOf(const CRecordingEntry* entry) const;

    const QString& Folder() const { return m_folder; }
    bool IsIndexOpen() const { return m_index.IsOpen(); }
    QString IndexPath() const { return m_folder + QStringLiteral("Index.txt"); }

    // The "Alternative playing method" setting, handed to the duration meter.
    void SetMeasuringFlag(bool alternative) { m_bMeasuringFlag = alternative; }
    bool MeasuringFlag() const { return m_bMeasuringFlag; }
    // Null restores the default meter; the caller keeps ownership.
    void SetDurationMeter(IDurationMeter* meter);

    // Puts the entry's fields into a fresh tag in front of its audio.
    // True when the file took the new tag; state 0 then.
    static bool WriteEntryTags(CRecordingEntry& entry);
    // The same tag in front of the audio of another file (one still being built).
    static bool WriteEntryTagsTo(CRecordingEntry& entry, const QString& path);
    // Fills the entry from the file's tag and repairs what is missing; false
    // when the file had no usable tag and was given a fresh one.
    bool ReadEntryTags(const QString& path, CRecordingEntry& entry, const QString& folder, bool recompute);

    // The run-long counter of default names (starts at 1).
    static int NameCounter();
    static void ResetNameCounterForTesting();

private:
    bool IndexDisabled() const;
    // Notes or operator that fill their index field are taken whole from the tag.
    static void CompleteCutTexts(CRecordingEntry& entry);
    double MeasureDays(const QString& path);
    void InvalidateNames() { m_namesValid = false; }
    void RebuildNames();

    bool m_bMeasuringFlag = false;
    CIndexFile m_index;
    QString m_folder;
    EntryList m_entries;
    IDurationMeter* m_meter = nullptr;

    // Case-folded name without trailing blanks -> entries in list order, for matching the folder to the index.
    QHash<QString, std::vector<CRecordingEntry*>> m_names;
    bool m_namesValid = false;
};

}  // namespace sonvelle
