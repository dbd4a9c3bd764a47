#include "storeui/SaveProgressDlg.h"

#include "resources/StringTable.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace sonvelle {

CSaveProgressDlg::CSaveProgressDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    setModal(false);
    setWindowTitle(LoadText(IDS_SAVING_TITLE));
    m_label = new QLabel(LoadText(IDS_SAVING), this);
    m_label->setObjectName(QString::number(kSavingText));
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_bar->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    adjustSize();
    if (parent)
        move(parent->width() / 2, parent->height() / 2);
}

void CSaveProgressDlg::SetRange(int range)
{
    m_bar->setRange(0, range);
    m_bar->setValue(0);
}

void CSaveProgressDlg::StepIt()
{
    m_bar->setValue(qMin(m_bar->value() + 1, m_bar->maximum()));
}

CSaveProgress::~CSaveProgress()
{
    End();
}

void CSaveProgress::Begin(int range)
{
    End();
    m_window = new CSaveProgressDlg(m_mainWindow);
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->SetRange(range);
    m_window->show();
    // The tags are written on this thread; painting directly keeps other
    // messages (which may change the catalogue) from running in between.
    m_window->repaint();
}

void CSaveProgress::Step()
{
    if (m_window) {
        m_window->StepIt();
        m_window->repaint();
    }
}

void CSaveProgress::End()
{
    // Deleted at once: the tags are written, nothing is left to show.
    delete m_window.data();
}

}  // namespace sonvelle
