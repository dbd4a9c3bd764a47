#include "options/COpzionePropertySheet.h"

#include "options/CDlgImpostazioniAvanzate.h"
#include "options/CDlgSetImpostazioni.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace sonvelle {

COpzionePropertySheet::COpzionePropertySheet(CDlgSetImpostazioni& general, CDlgImpostazioniAvanzate& advanced,
                                             QWidget* parent)
    : QDialog(parent), m_general(general), m_advanced(advanced)
{
    setWindowTitle(LoadText(IDS_OPTIONS_TITLE));
    setWindowIcon(LoadIconResource(kIconProgram));
    // No system menu: only the title and the close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(&m_general, LoadText(IDS_OPTIONS_GENERAL));
    m_tabs->addTab(&m_advanced, LoadText(IDS_OPTIONS_ADVANCED));
    layout->addWidget(m_tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &COpzionePropertySheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COpzionePropertySheet::reject);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) { ShowPage(index); });
}

COpzionePropertySheet::~COpzionePropertySheet()
{
    // The pages belong to the caller: the tab widget must not delete them.
    for (QWidget* page : {static_cast<QWidget*>(&m_general), static_cast<QWidget*>(&m_advanced)}) {
        m_tabs->removeTab(m_tabs->indexOf(page));
        page->setParent(nullptr);
    }
}

void COpzionePropertySheet::Begin()
{
    ShowPage(0);
    adjustSize();
}

int COpzionePropertySheet::exec()
{
    Begin();
    return QDialog::exec();
}

void COpzionePropertySheet::ShowPage(int index)
{
    if (index < 0 || index > 1)
        return;
    if (m_tabs->currentIndex() != index)
        m_tabs->setCurrentIndex(index);  // comes back here through currentChanged
    if (m_shown[index])
        return;
    m_shown[index] = true;
    if (index == 0)
        m_general.OnInitDialog();
    else
        m_advanced.OnInitDialog();
}

int COpzionePropertySheet::CurrentPage() const
{
    return m_tabs->currentIndex();
}

bool COpzionePropertySheet::PressOK()
{
    if (m_shown[0] && !m_general.OnOK()) {
        m_tabs->setCurrentIndex(0);
        if (QWidget* field = m_general.RefusedField())
            field->setFocus();
        return false;
    }
    if (m_shown[1] && !m_advanced.OnOK()) {
        m_tabs->setCurrentIndex(1);
        if (QWidget* field = m_advanced.RefusedField())
            field->setFocus();
        return false;
    }
    QDialog::accept();
    return true;
}

void COpzionePropertySheet::PressCancel()
{
    if (m_shown[0])
        m_general.OnCancel();
    QDialog::reject();
}

void COpzionePropertySheet::accept()
{
    PressOK();
}

void COpzionePropertySheet::reject()
{
    PressCancel();
}

}  // namespace sonvelle
