#include "mainwnd/CallLog.h"

#include "mainwnd/CallLogFormat.h"
#include "resources/StringTable.h"
#include "store/DurationMeter.h"
#include "store/RecordingList.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>

namespace sonvelle {

CCallLog::CCallLog() : m_catalogue(std::make_unique<CRecordingList>()) {}

CCallLog::~CCallLog() = default;

void CCallLog::Attach(QTreeView* view)
{
    m_view = view;
    m_view->setModel(&m_model);
    // Scrolling stays per row: per pixel makes the view measure every row on each refill.
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

void CCallLog::SetDurationMeter(IDurationMeter* meter)
{
    m_meter = meter;
}

bool CCallLog::Load(const QString& workFolder, bool alternativePlay)
{
    m_alternativePlay = alternativePlay;
    NotifyBeforeClear();
    m_catalogue->Clear();
    m_catalogue->SetMeasuringFlag(alternativePlay);
    const bool loaded = m_catalogue->Load(workFolder);
    Refill();
    return loaded;
}

bool CCallLog::Rescan(bool busy)
{
    const QString selected = SelectedName();
    const auto& entries = m_catalogue->Entries();
    const bool entryInUse = std::any_of(entries.begin(), entries.end(),
                                        [](const auto& e) { return e->IsInUse(); });
    bool reloaded = false;
    if (!busy && !entryInUse && !m_catalogue->Folder().isEmpty()) {
        // Edits not yet in their tags would be lost with the entries.
        m_catalogue->SavePending();
        const QString folder = m_catalogue->Folder();
        NotifyBeforeClear();
        m_catalogue->Clear();
        reloaded = m_catalogue->Load(folder);
    }
    Refill(-1, selected);
    return reloaded;
}

void CCallLog::NotifyBeforeClear()
{
    for (const auto& listener : m_beforeClear)
        listener();
}

void CCallLog::MeasureIfUnknown(CRecordingEntry& entry)
{
    if (!entry.IsDurationUnknown() || entry.IsInUse())
        return;
    const QString path = entry.FilePath();
    IDurationMeter& meter = m_meter ? *m_meter : DefaultDurationMeter();
    const double seconds = meter.MeasureSeconds(path, m_alternativePlay);
    // A file that cannot be measured keeps "unknown" rather than a tag rewrite with nothing to say.
    if (seconds < 0.0)
        return;
    entry.m_dtDuration = COleDateTime::FromSeconds(seconds);
    entry.m_dwSize = static_cast<std::uint32_t>(std::clamp<qint64>(QFileInfo(path).size(), 0, UINT32_MAX));
    entry.SetState(kStateTagPending);
}

void CCallLog::Refill(int indexToSelect, const QString& nameToSelect)
{
    if (m_view)
        m_view->setUpdatesEnabled(false);
    m_model.Clear();
    m_catalogue->Sort(m_sortColumn, m_sortAscending);

    const int count = m_catalogue->GetCount();
    std::vector<CallLogRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    int remembered = -1;
    for (int i = 0; i < count; ++i) {
        CRecordingEntry& entry = *m_catalogue->GetAt(i);
        MeasureIfUnknown(entry);
        rows.push_back(MakeRow(entry));
        if (remembered < 0 && !nameToSelect.isEmpty() && entry.m_strName == nameToSelect)
            remembered = i;
        if (entry.GetState() == kStateTagPending && CRecordingList::WriteEntryTags(entry))
            m_catalogue->UpdateIndexRecord(entry);
    }
    m_model.ReplaceAll(std::move(rows));

    if (indexToSelect > -1)
        remembered = std::min(indexToSelect, count - 1);
    if (count > 0)
        SelectRow(remembered < 0 ? 0 : remembered);
    else
        ForgetSelection();
    if (m_view)
        m_view->setUpdatesEnabled(true);
}

void CCallLog::OnColumnClick(int column)
{
    if (column < 0 || column >= CALL_LOG_COLUMNS)
        return;
    m_sortColumn = column;
    m_sortAscending = !m_sortAscending;
    Refill(-1, SelectedName());
}

bool CCallLog::SavePending()
{
    return m_catalogue->SavePending();
}

CallLogRow CCallLog::MakeRow(const CRecordingEntry& entry) const
{
    static const QString datePattern = LoadText(IDS_FORMAT_DATE);
    static const QString timePattern = LoadText(IDS_FORMAT_TIME);
    CallLogRow row;
    const bool played = !m_playingName.isEmpty() && entry.m_strName == m_playingName;
    row.image = CallLogImageFor(played, entry.GetState(), entry.m_bProtected);
    row.text[COL_NAME] = entry.m_strName;
    row.text[COL_DATE] = entry.m_dtDate.Format(datePattern);
    row.text[COL_TIME] = entry.m_dtDate.Format(timePattern);
    row.text[COL_NOTES] = NotesForList(entry.m_strNotes);
    row.text[COL_DURATION] = FormatListDuration(entry.m_dtDuration.Value());
    row.text[COL_SIZE] = FormatListSize(entry.m_dwSize);
    row.text[COL_PROTECTED] = entry.m_bProtected ? QStringLiteral("Si") : QStringLiteral("No");
    row.text[COL_OPERATOR] = entry.m_strOperator;
    return row;
}

void CCallLog::AddRow(const CRecordingEntry& entry, int at)
{
    at = std::clamp(at, 0, m_model.Count());
    m_model.InsertRow(at, MakeRow(entry));
    SelectRow(at);
}

bool CCallLog::RewriteRow(const QString& oldName, const CRecordingEntry& entry)
{
    const int row = m_model.FindByNameIgnoringCase(oldName);
    if (row < 0)
        return false;
    m_model.SetRow(row, MakeRow(entry));
    return true;
}

int CCallLog::SelectedRow() const
{
    if (!m_view || !m_view->selectionModel())
        return -1;
    const QModelIndex current = m_view->selectionModel()->currentIndex();
    if (current.isValid() && m_view->selectionModel()->isRowSelected(current.row(), {}))
        return current.row();
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString CCallLog::SelectedName() const
{
    const int row = SelectedRow();
    return row < 0 ? QString() : m_model.Row(row).text[COL_NAME];
}

CRecordingEntry* CCallLog::SelectedEntry() const
{
    const int row = SelectedRow();
    return row < 0 ? nullptr : m_catalogue->FindByName(m_model.Row(row).text[COL_NAME]);
}

void CCallLog::SelectRow(int row)
{
    if (!m_view || row < 0 || row >= m_model.Count())
        return;
    const QModelIndex index = m_model.index(row, 0);
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index, QAbstractItemView::PositionAtTop);
    // The rows that fill the offset above the selected one (the bar counts rows).
    const int rowHeight = std::max(1, m_view->sizeHintForRow(0));
    QScrollBar* bar = m_view->verticalScrollBar();
    bar->setValue(bar->value() - (kSelectedRowOffset + rowHeight / 2) / rowHeight);
}

void CCallLog::ForgetSelection()
{
    if (m_view && m_view->selectionModel())
        m_view->selectionModel()->clear();
}

}  // namespace sonvelle
