#include "storeui/KeyWordDialogs.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "skin/CColorStatic.h"
#include "store/RecordingEntry.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonvelle {

namespace {

std::function<int(QDialog&)>& Runner()
{
    static std::function<int(QDialog&)> runner;
    return runner;
}

CColorStatic* TextLine(QWidget* parent, int id, const QString& text)
{
    auto* line = new CColorStatic(parent);
    line->setObjectName(QString::number(id));
    line->SetFont(QStringLiteral("Tahoma"), 9, false, false);
    line->SetCaption(text);
    line->setMinimumHeight(18);
    return line;
}

QLineEdit* PasswordField(QWidget* parent, int id)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::number(id));
    field->setEchoMode(QLineEdit::Password);
    return field;
}

QPushButton* Button(QWidget* parent, int id, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::number(id));
    return button;
}

QHBoxLayout* ButtonRow(QPushButton* ok, QPushButton* cancel)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace

CProtectDlg::CProtectDlg(CRecordingEntry* entry, QWidget* parent) : QDialog(parent), m_entry(entry)
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    setWindowTitle(LoadText(IDS_PROTECT_TITLE));
    const QString heading = LoadText(IDS_PROTECT_PREFIX) + (entry ? entry->m_strName : QString());
    m_keyWord = PasswordField(this, kKeyWordField);
    m_repeat = PasswordField(this, kRepeatField);
    m_ok = Button(this, kOkButton, LoadText(IDS_PROTECT_OK));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    QPushButton* cancel = Button(this, 2, LoadText(IDS_PROTECT_CANCEL));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TextLine(this, 1132, heading));
    layout->addWidget(TextLine(this, 1134, LoadText(IDS_PROTECT_ENTER_KEYWORD)));
    layout->addWidget(m_keyWord);
    layout->addWidget(TextLine(this, 1133, LoadText(IDS_PROTECT_RETYPE_KEYWORD)));
    layout->addWidget(m_repeat);
    layout->addLayout(ButtonRow(m_ok, cancel));

    connect(m_keyWord, &QLineEdit::textChanged, this, &CProtectDlg::OnFieldsChanged);
    connect(m_repeat, &QLineEdit::textChanged, this, &CProtectDlg::OnFieldsChanged);
    connect(m_ok, &QPushButton::clicked, this, &CProtectDlg::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CProtectDlg::OnFieldsChanged()
{
    m_ok->setEnabled(m_keyWord->text().size() >= kMinimumLength && m_keyWord->text() == m_repeat->text());
}

void CProtectDlg::OnOk()
{
    const QString keyWord = m_keyWord->text();
    int refusal = 0;
    if (keyWord.contains(QLatin1Char('*')))
        refusal = IDS_KEYWORD_ASTERISK;
    else if (keyWord.size() < kMinimumLength)
        refusal = IDS_KEYWORD_TOO_SHORT;
    else if (keyWord != m_repeat->text())
        refusal = IDS_KEYWORDS_DIFFER;
    if (refusal) {
        MessageBox(LoadText(refusal), PromptIcon::Exclamation);
        return;
    }
    if (m_entry)
        m_entry->m_strKeyWord = keyWord;
    m_result = keyWord;
    accept();
}

CKeyWordDlg::CKeyWordDlg(CRecordingEntry& entry, QWidget* parent) : QDialog(parent), m_entry(entry)
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    setWindowTitle(LoadText(IDS_UNPROTECT_TITLE));
    m_keyWord = PasswordField(this, kKeyWordField);
    m_ok = Button(this, kOkButton, LoadText(IDS_UNPROTECT_OK));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    QPushButton* cancel = Button(this, 2, LoadText(IDS_UNPROTECT_CANCEL));

    // The recording's name stays in view: the person must know which key word is asked for.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TextLine(this, 1132, LoadText(IDS_KEYWORD_PROMPT) + QLatin1Char(' ') + entry.m_strName));
    layout->addWidget(m_keyWord);
    layout->addLayout(ButtonRow(m_ok, cancel));

    connect(m_keyWord, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ok->setEnabled(text.size() >= CProtectDlg::kMinimumLength); });
    connect(m_ok, &QPushButton::clicked, this, &CKeyWordDlg::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CKeyWordDlg::OnOk()
{
    if (m_keyWord->text().size() < CProtectDlg::kMinimumLength)
        return;
    m_entry.m_strKeyWord = m_keyWord->text();
    accept();
}

int RunKeyWordDialog(QDialog& dialog)
{
    if (Runner())
        return Runner()(dialog);
    return dialog.exec();
}

void SetKeyWordDialogRunner(std::function<int(QDialog&)> runner)
{
    Runner() = std::move(runner);
}

}  // namespace sonvelle
