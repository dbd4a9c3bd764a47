#pragma once
// The call log: the catalogue of the work folder shown as the list's rows,
// in the catalogue's order, with the sort by column click and the rows that
// are added or rewritten one at a time.

#include "mainwnd/CallLogModel.h"

#include <QString>

#include <functional>

#include <memory>
#include <vector>

class QTreeView;

namespace sonvelle {

class CRecordingEntry;
class CRecordingList;
class IDurationMeter;

class CCallLog {
public:
    // Newest first until the user clicks a heading.
    static constexpr int kDefaultSortColumn = COL_DATE;
    static constexpr int kSelectedRowOffset = 70;  // pixels between the top of the view and the selected row

    CCallLog();
    ~CCallLog();
    CCallLog(const CCallLog&) = delete;
    CCallLog& operator=(const CCallLog&) = delete;

    void Attach(QTreeView* view);
    CCallLogModel& Model() { return m_model; }
    const CCallLogModel& Model() const { return m_model; }
    CRecordingList& Catalogue() { return *m_catalogue; }

    void SetHeadings(const std::array<QString, CALL_LOG_COLUMNS>& headings) { m_model.SetHeadings(headings); }
    void SetImages(std::vector<QIcon> images) { m_model.SetImages(std::move(images)); }
    // Null restores the default meter; the caller keeps ownership.
    void SetDurationMeter(IDurationMeter* meter);
    // The recording being played shows its own image; empty for none.
    void SetPlayingName(const QString& name) { m_playingName = name; }

    // The "catalogue cleared" notice: every holder of entry pointers listens, and
    // is called before the catalogue drops its entries, in the order they listened.
    void AddBeforeClear(std::function<void()> beforeClear) { m_beforeClear.push_back(std::move(beforeClear)); }

    // Clears the catalogue, loads the work folder and fills the list.

    bool Load(const QString& workFolder, bool alternativePlay);
    // Reloads the work folder unless something is being played or recorded;
    // the list is refilled either way, keeping the selected recording.
    bool Rescan(bool busy);
    void Refill(int indexToSelect = -1, const QString& nameToSelect = {});
    // Stores the column, flips the direction whatever the column, refills.
    void OnColumnClick(int column);
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }
    // Writes the tags still due and their index records.
    bool SavePending();

    // A new recording's row, inserted and selected.
    void AddRow(const CRecordingEntry& entry, int at = 0);
    // The row found by the old name (ignoring case) shows the entry as it is now.
    bool RewriteRow(const QString& oldName, const CRecordingEntry& entry);
    CallLogRow MakeRow(const CRecordingEntry& entry) const;

    int SelectedRow() const;
    QString SelectedName() const;
    // The selected row's recording, found by name; null when none.
    CRecordingEntry* SelectedEntry() const;
    void SelectRow(int row);
    void ForgetSelection();

private:
    void NotifyBeforeClear();
    void MeasureIfUnknown(CRecordingEntry& entry);

    CCallLogModel m_model;
    std::unique_ptr<CRecordingList> m_catalogue;
    QTreeView* m_view = nullptr;
    IDurationMeter* m_meter = nullptr;
    bool m_alternativePlay = false;
    std::vector<std::function<void()>> m_beforeClear;
    QString m_playingName;
    int m_sortColumn = kDefaultSortColumn;
    bool m_sortAscending = false;
};

}  // namespace sonvelle
