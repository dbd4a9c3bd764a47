#pragma once
// Dialog 277, the second page of the join wizard: the order of the recordings
// in the joined one, oldest first until the user moves them.

#include "operations/JoinContext.h"
#include "operations/JoinRules.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace sonvelle {

class CJoinOrderPage : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 277;
    static constexpr int kList = 1105;
    static constexpr int kNext = 1106;
    static constexpr int kCancel = 1107;
    static constexpr int kBack = 1112;
    static constexpr int kUp = 1128;
    static constexpr int kDown = 1051;
    // What the page ends with when the user goes back to the previous one.
    static constexpr int kResultBack = 3;

    CJoinOrderPage(const JoinContext& context, std::vector<JoinRow> rows, const QString& sizeText);
    int exec() override;

    QString ResultName() const { return m_resultName; }
    QTreeWidget* List() const { return m_list; }
    std::vector<JoinRow> Rows() const;
    void OnMove(int step);

private:
    void OnInitDialog();
    void OnNext();

    JoinContext m_context;
    std::vector<JoinRow> m_rows;
    QString m_sizeText;
    QTreeWidget* m_list = nullptr;
    QLabel* m_header = nullptr;
    QLabel* m_subHeader = nullptr;
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_resultName;
};

}  // namespace sonvelle
