#pragma once
// Dialog 278, the last page of the join wizard: the new recording's name,
// notes, date and time, and the join itself.

#include "operations/JoinContext.h"
#include "operations/JoinRules.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;

namespace sonvelle {

class CJoinInfoPage : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 278;
    static constexpr int kCancel = 1107;
    static constexpr int kBack = 1112;
    static constexpr int kJoin = 1129;
    static constexpr int kName = 1119;
    static constexpr int kNotes = 1120;
    static constexpr int kSize = 1121;
    static constexpr int kDuration = 1117;
    static constexpr int kProtection = 1118;
    static constexpr int kDate = 1124;
    static constexpr int kTime = 1125;

    CJoinInfoPage(const JoinContext& context, std::vector<JoinRow> rows, const QString& sizeText);
    int exec() override;

    QString ResultName() const { return m_resultName; }
    QLineEdit* NameEdit() const { return m_name; }
    QPushButton* JoinButton() const { return m_join; }
    // The Join button: true when the recordings were joined and the page ended.
    bool OnJoin();

private:
    void OnInitDialog();
    void OnNameChanged(const QString& text);

    JoinContext m_context;
    std::vector<JoinRow> m_rows;
    QString m_sizeText;
    QLabel* m_header = nullptr;
    QLabel* m_subHeader = nullptr;
    std::vector<std::pair<QLabel*, int>> m_labels;
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_duration = nullptr;
    QLabel* m_protection = nullptr;
    QDateEdit* m_date = nullptr;
    QTimeEdit* m_time = nullptr;
    QPushButton* m_join = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_resultName;
    bool m_editing = false;
};

}  // namespace sonvelle
