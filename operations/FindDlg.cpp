#include "operations/FindDlg.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "store/RecordingList.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringMatcher>

namespace sonvelle {

int FindMatchingRow(const QAbstractItemModel& rows, int from, const QString& text, bool inNotes)
{
    // Case is folded per character, beyond ASCII too: "ärz" finds "Ärzte".
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    const int count = rows.rowCount();
    for (int i = std::max(from, 0); i < count; ++i) {
        if (matcher.indexIn(rows.index(i, kColumnName).data().toString()) >= 0)
            return i;
        if (inNotes && matcher.indexIn(rows.index(i, kColumnNotes).data().toString()) >= 0)
            return i;
    }
    return -1;
}

CFindDlg::CFindDlg(QWidget* owner) : QDialog(owner)
{
    setModal(false);
    setWindowIcon(LoadIconResource(kIconProgram));
    setWindowTitle(LoadText(IDS_FIND_TITLE));

    m_label = new QLabel(LoadText(IDS_FIND_LABEL), this);
    m_text = new QLineEdit(this);
    m_label->setBuddy(m_text);
    m_inNotes = new QCheckBox(LoadText(IDS_FIND_IN_NOTES), this);
    m_inNotes->setChecked(true);
    m_find = new QPushButton(LoadText(IDS_FIND_BUTTON), this);
    m_find->setDefault(true);
    m_find->setEnabled(false);
    m_cancel = new QPushButton(LoadText(IDS_FIND_CANCEL), this);
    m_cancel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label, 0, 0);
    grid->addWidget(m_text, 0, 1);
    grid->addWidget(m_find, 0, 2);
    grid->addWidget(m_inNotes, 1, 1);
    grid->addWidget(m_cancel, 1, 2);

    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_find->setEnabled(!text.isEmpty()); });
    connect(m_find, &QPushButton::clicked, this, &CFindDlg::OnFindNext);
    connect(m_cancel, &QPushButton::clicked, this, &CFindDlg::reject);
}

QWidget* CFindDlg::Control(int id) const
{
    switch (id) {
    case IDC_FIND_TEXT: return m_text;
    case IDC_FIND_IN_NOTES: return m_inNotes;
    case IDC_FIND_NEXT: return m_find;
    case IDC_FIND_CANCEL: return m_cancel;
    case IDC_FIND_LABEL: return m_label;
    default: return nullptr;
    }
}

void CFindDlg::OnFindNext()
{
    const QString text = m_text->text();
    if (!m_list || !m_list->model() || text.isEmpty())
        return;
    const QAbstractItemModel& rows = *m_list->model();
    const int row = FindMatchingRow(rows, m_nNext, text, m_inNotes->isChecked());
    if (row < 0) {
        m_nNext = 0;
        MessageBox(LoadText(IDS_FIND_NOTHING), PromptIcon::Information, PromptButtons::Ok, LoadText(IDS_FIND_TITLE));
        return;
    }
    const QModelIndex index = rows.index(row, 0);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollTo(index);
    m_nNext = row + 1;
    // Only a first match on the last row starts the next search at the top again.
    if (m_nNext >= rows.rowCount() && !m_bFoundOnce)
        m_nNext = 0;
    m_bFoundOnce = true;
}

void CFindDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_text->setFocus();
    m_text->selectAll();
}

// Escape belongs to the focused control; the window stays open.
void CFindDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CFindDlg::reject()
{
    hide();
}

}  // namespace sonvelle
