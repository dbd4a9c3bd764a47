#pragma once
// The rows of the call log as the list shows them: the texts are made once,
// when a row is filled, and stay until the row is rewritten.

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>

#include <array>
#include <functional>
#include <vector>

namespace sonvelle {

enum CallLogColumn : int {
    COL_IMAGE = 0,
    COL_NAME,
    COL_DATE,
    COL_TIME,
    COL_NOTES,
    COL_DURATION,
    COL_SIZE,
    COL_PROTECTED,
    COL_OPERATOR,
    CALL_LOG_COLUMNS
};

struct CallLogRow {
    int image = 2;
    std::array<QString, CALL_LOG_COLUMNS> text;
};

class CCallLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CCallLogModel(QObject* parent = nullptr);

    void SetHeadings(const std::array<QString, CALL_LOG_COLUMNS>& headings);
    void SetImages(std::vector<QIcon> images);

    void Clear();
    // Rows collected first and shown at once: one reset instead of a signal per row.
    void ReplaceAll(std::vector<CallLogRow> rows);
    void InsertRow(int index, CallLogRow row);
    void SetRow(int index, CallLogRow row);
    void RemoveRowAt(int index);
    const CallLogRow& Row(int index) const { return m_rows[static_cast<size_t>(index)]; }
    int Count() const { return static_cast<int>(m_rows.size()); }

    // First row whose name matches, ignoring case; -1 when none.
    int FindByNameIgnoringCase(const QString& name) const;

    // Renaming in place: the handler gets the row and the typed text and says
    // whether the row keeps it. Without a handler no cell is editable.
    using RenameHandler = std::function<bool(int row, const QString& newName)>;
    void SetRenameHandler(RenameHandler handler) { m_renameHandler = std::move(handler); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    std::vector<CallLogRow> m_rows;
    std::array<QString, CALL_LOG_COLUMNS> m_headings;
    std::vector<QIcon> m_images;
    RenameHandler m_renameHandler;
};

}  // namespace sonvelle
