#pragma once
// Dialog 272, the first page of the join wizard: which recordings to join,
// starting from the main list's selection and the recordings that follow it.

#include "operations/JoinContext.h"
#include "operations/JoinRules.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace sonvelle {

class CJoinSelectPage : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 272;
    static constexpr int kList = 1105;
    static constexpr int kNext = 1106;
    static constexpr int kCancel = 1107;
    static constexpr int kShowFollowing = 1110;
    static constexpr int kSelectAll = 1111;
    static constexpr int kTotalDuration = 1116;
    static constexpr int kTotalSize = 1120;

    CJoinSelectPage();

    void SetSources(const JoinContext& context) { m_context = context; }
    // False when the page closed itself (nothing to join from, or a recording in use).
    bool OnInitDialog();
    int exec() override;

    QString ResultName() const { return m_resultName; }
    QTreeWidget* List() const { return m_list; }
    // The rows as they stand, marks included.
    std::vector<JoinRow> Rows() const;
    QString SizeText() const;
    QString DurationText() const;

    // Row events and buttons, as the user causes them.
    void OnRowClicked(QTreeWidgetItem* item, int column);
    void OnRowChanged(QTreeWidgetItem* item);
    void OnSelectAll();
    void OnShowFollowing();
    void OnNext();

private:
    bool FillFollowing();
    void FillAll();
    void AddRow(const JoinRow& row, int at = -1);
    // Asks for the key word of a protected row; true when it is unprotected now.
    bool UnprotectRow(QTreeWidgetItem* item);
    void UpdateTotals();
    CRecordingEntry* EntryOf(const QString& name) const;

    JoinContext m_context;
    QTreeWidget* m_list = nullptr;
    QCheckBox* m_following = nullptr;
    QCheckBox* m_selectAll = nullptr;
    QLabel* m_header = nullptr;
    QLabel* m_subHeader = nullptr;
    QLabel* m_durationLabel = nullptr;
    QLabel* m_sizeLabel = nullptr;
    QLabel* m_totalDuration = nullptr;
    QLabel* m_totalSize = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_resultName;
    bool m_filling = false;
};

}  // namespace sonvelle
