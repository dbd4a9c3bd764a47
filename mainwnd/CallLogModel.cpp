#include "mainwnd/CallLogModel.h"

#include <algorithm>

namespace sonvelle {

CCallLogModel::CCallLogModel(QObject* parent) : QAbstractTableModel(parent) {}

void CCallLogModel::SetHeadings(const std::array<QString, CALL_LOG_COLUMNS>& headings)
{
    m_headings = headings;
    emit headerDataChanged(Qt::Horizontal, 0, CALL_LOG_COLUMNS - 1);
}

void CCallLogModel::SetImages(std::vector<QIcon> images)
{
    m_images = std::move(images);
    if (!m_rows.empty())
        emit dataChanged(index(0, COL_IMAGE), index(Count() - 1, COL_IMAGE), {Qt::DecorationRole});
}

void CCallLogModel::Clear()
{
    ReplaceAll({});
}

void CCallLogModel::ReplaceAll(std::vector<CallLogRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CCallLogModel::InsertRow(int index, CallLogRow row)
{
    index = std::clamp(index, 0, Count());
    beginInsertRows({}, index, index);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    endInsertRows();
}

void CCallLogModel::SetRow(int index, CallLogRow row)
{
    if (index < 0 || index >= Count())
        return;
    m_rows[static_cast<size_t>(index)] = std::move(row);
    emit dataChanged(this->index(index, 0), this->index(index, CALL_LOG_COLUMNS - 1));
}

void CCallLogModel::RemoveRowAt(int index)
{
    if (index < 0 || index >= Count())
        return;
    beginRemoveRows({}, index, index);
    m_rows.erase(m_rows.begin() + index);
    endRemoveRows();
}

int CCallLogModel::FindByNameIgnoringCase(const QString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_rows[static_cast<size_t>(i)].text[COL_NAME].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int CCallLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int CCallLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : CALL_LOG_COLUMNS;
}

QVariant CCallLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Count() || index.column() >= CALL_LOG_COLUMNS)
        return {};
    const CallLogRow& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::EditRole:
        return index.column() == COL_NAME ? QVariant(row.text[COL_NAME]) : QVariant();
    case Qt::DisplayRole:
        return index.column() == COL_IMAGE ? QVariant() : QVariant(row.text[static_cast<size_t>(index.column())]);
    case Qt::DecorationRole:
        if (index.column() == COL_IMAGE && row.image >= 0 && row.image < static_cast<int>(m_images.size()))
            return m_images[static_cast<size_t>(row.image)];
        return {};
    case Qt::ToolTipRole:
        if (index.column() == COL_NOTES && !row.text[COL_NOTES].isEmpty())
            return row.text[COL_NOTES];
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags CCallLogModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (m_renameHandler && index.isValid() && index.column() == COL_NAME)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CCallLogModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !m_renameHandler || !index.isValid() || index.column() != COL_NAME ||
        index.row() >= Count())
        return false;
    const int row = index.row();
    if (!m_renameHandler(row, value.toString()))
        return false;
    // The handler may have rewritten or removed rows; only a row still there takes the text.
    if (row < Count()) {
        m_rows[static_cast<size_t>(row)].text[COL_NAME] = value.toString();
        emit dataChanged(this->index(row, COL_NAME), this->index(row, COL_NAME));
    }
    return true;
}

QVariant CCallLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= CALL_LOG_COLUMNS)
        return {};
    if (role == Qt::DisplayRole)
        return m_headings[static_cast<size_t>(section)];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

}  // namespace sonvelle
