#pragma once
// The Find window: a small modeless window over the call log that selects,
// at each press of Find, the next recording further down the list whose name
// (and, if wished, whose notes) contains the search text. The main window
// keeps one for its whole life; Cancel only hides it.

#include <QAbstractItemView>
#include <QDialog>
#include <QPointer>

class QAbstractItemModel;

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sonvelle {

// The first row from `from` on whose name, or notes when `inNotes`, contains
// `text` ignoring letter case (non-ASCII letters too); -1 when none.
int FindMatchingRow(const QAbstractItemModel& rows, int from, const QString& text, bool inNotes);

class CFindDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDC_FIND_TEXT = 1084;
    static constexpr int IDC_FIND_IN_NOTES = 1086;
    static constexpr int IDC_FIND_NEXT = 1087;
    static constexpr int IDC_FIND_CANCEL = 1107;
    static constexpr int IDC_FIND_LABEL = 1139;

    explicit CFindDlg(QWidget* owner);

    // The list searched; set each time the window is shown.
    void SetList(QAbstractItemView* list) { m_list = list; }
    // One press of Find.
    void OnFindNext();
    QWidget* Control(int id) const;
    int NextRow() const { return m_nNext; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void reject() override;

private:
    QPointer<QAbstractItemView> m_list;
    QLabel* m_label = nullptr;
    QLineEdit* m_text = nullptr;
    QCheckBox* m_inNotes = nullptr;
    QPushButton* m_find = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_nNext = 0;
    bool m_bFoundOnce = false;
};

}  // namespace sonvelle
