#include "operations/JoinInfoPage.h"

#include "operations/JoinFiles.h"
#include "operations/JoinOrderPage.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "store/RecordingList.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimeEdit>

namespace sonvelle {

namespace {

// The copy shows a progress window only when it lasts longer than this.
constexpr int kProgressAfterMs = 500;

}  // namespace

CJoinInfoPage::CJoinInfoPage(const JoinContext& context, std::vector<JoinRow> rows, const QString& sizeText)
    : m_context(context), m_rows(std::move(rows)), m_sizeText(sizeText)
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    m_header = new QLabel(this);
    m_subHeader = new QLabel(this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QString::number(kName));
    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QString::number(kNotes));
    m_notes->setTabChangesFocus(true);
    m_size = new QLabel(this);
    m_size->setObjectName(QString::number(kSize));
    m_duration = new QLabel(this);
    m_duration->setObjectName(QString::number(kDuration));
    m_protection = new QLabel(this);
    m_protection->setObjectName(QString::number(kProtection));
    m_date = new QDateEdit(this);
    m_date->setObjectName(QString::number(kDate));
    m_date->setCalendarPopup(true);
    m_time = new QTimeEdit(this);
    m_time->setObjectName(QString::number(kTime));
    m_time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_join = new QPushButton(this);
    m_join->setObjectName(QString::number(kJoin));
    m_join->setDefault(true);
    m_back = new QPushButton(this);
    m_back->setObjectName(QString::number(kBack));
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QString::number(kCancel));

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_header, 0, 0, 1, 4);
    layout->addWidget(m_subHeader, 1, 0, 1, 4);
    const std::pair<int, QWidget*> fields[] = {{IDS_COLUMN_NAME, m_name},     {IDS_COLUMN_DATE, m_date},
                                               {IDS_COLUMN_TIME, m_time},     {IDS_COLUMN_NOTES, m_notes},
                                               {IDS_COLUMN_PROTECTED, m_protection},
                                               {IDS_COLUMN_DURATION, m_duration}, {IDS_COLUMN_SIZE, m_size}};
    int row = 2;
    for (const auto& [text, field] : fields) {
        auto* label = new QLabel(this);
        m_labels.emplace_back(label, text);
        layout->addWidget(label, row, 0);
        layout->addWidget(field, row++, 1, 1, 3);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_back);
    buttons->addWidget(m_join);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons, row, 0, 1, 4);
    resize(520, 420);

    connect(m_name, &QLineEdit::textChanged, this, &CJoinInfoPage::OnNameChanged);
    connect(m_join, &QPushButton::clicked, this, &CJoinInfoPage::OnJoin);
    connect(m_back, &QPushButton::clicked, this, [this]() { done(CJoinOrderPage::kResultBack); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    OnInitDialog();
}

int CJoinInfoPage::exec()
{
    if (!m_context.catalogue || m_rows.empty())
        return Rejected;
    return QDialog::exec();
}

void CJoinInfoPage::OnInitDialog()
{
    setWindowTitle(LoadText(IDS_JOIN_WIZARD_TITLE));
    setWindowIcon(LoadIconResource(kIconProgram));
    for (const auto& [label, text] : m_labels)
        label->setText(LoadText(text));
    m_join->setText(LoadText(IDS_JOIN_FINISH));
    m_back->setText(LoadText(IDS_JOIN_BACK));
    m_cancel->setText(LoadText(IDS_JOIN_CANCEL));
    m_header->setText(LoadText(IDS_JOIN_NAME_TITLE));
    m_subHeader->setText(LoadText(IDS_JOIN_SELECT_HINT));

    int seconds = 0;
    QString name;
    QString notes;
    for (const JoinRow& row : m_rows) {
        seconds += DurationTextSeconds(row.text[JOIN_COL_DURATION]);
        name += row.Name() + QLatin1Char(' ');
        notes += row.text[JOIN_COL_NOTES] + QLatin1Char(' ');
    }
    m_protection->setText(m_rows.empty() ? QString() : m_rows.front().text[JOIN_COL_PROTECTED]);
    m_duration->setText(QStringLiteral("%1:%2").arg(seconds / 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0')));
    m_size->setText(m_sizeText);
    const QDateTime now = QDateTime::currentDateTime();
    m_date->setDate(now.date());
    m_time->setTime(now.time());
    m_name->setText(name);
    m_notes->setPlainText(notes);
    OnNameChanged(m_name->text());
}

void CJoinInfoPage::OnNameChanged(const QString& text)
{
    if (m_editing)
        return;
    const CRecordingEntry* first =
        m_context.catalogue && !m_rows.empty() ? m_context.catalogue->FindByName(m_rows.front().Name()) : nullptr;
    const QString name = JoinNameAfterEdit(text, first ? static_cast<int>(first->m_strFolder.size()) : 0);
    if (name != text) {
        m_editing = true;
        m_name->setText(name);
        m_name->setCursorPosition(static_cast<int>(name.size()));
        m_editing = false;
    }
    m_join->setEnabled(!name.isEmpty());
}

bool CJoinInfoPage::OnJoin()
{
    CRecordingList& catalogue = *m_context.catalogue;
    const QString name = m_name->text();
    const QString notes = m_notes->toPlainText();
    if (name.isEmpty())
        return false;
    if (IsReservedJoinName(name)) {
        MessageBox(LoadText(IDS_NAME_RESERVED), PromptIcon::Exclamation);
        return false;
    }
    std::vector<CRecordingEntry*> sources;
    bool sourceHasName = false;
    for (const JoinRow& row : m_rows) {
        CRecordingEntry* source = catalogue.FindByName(row.Name());
        if (!source) {
            MessageBox(LoadText(IDS_JOIN_FAILED), PromptIcon::Stop);
            return false;
        }
        sources.push_back(source);
        sourceHasName = sourceHasName || source->m_strName.compare(name, Qt::CaseInsensitive) == 0;
    }
    // Names that differ only in letter case are one name to the user, as everywhere else.
    const CRecordingEntry* replaced = nullptr;
    if (!sourceHasName) {
        for (const auto& entry : catalogue.Entries())
            if (entry->m_strName.compare(name, Qt::CaseInsensitive) == 0) {
                replaced = entry.get();
                break;
            }
        if (replaced && MessageBox(LoadText(IDS_OVERWRITE_QUESTION), PromptIcon::Question, PromptButtons::YesNo) !=
                            PromptResult::Yes)
            return false;
    }

    auto joined = std::make_unique<CRecordingEntry>();
    const CRecordingEntry& first = *sources.front();
    joined->m_strName = name;
    joined->m_strNotes = notes;
    const QDate day = m_date->date();
    const QTime clock = m_time->time();
    joined->m_dtDate = COleDateTime(day.year(), day.month(), day.day(), clock.hour(), clock.minute(), clock.second());
    joined->m_dtDuration = COleDateTime(-1.0);
    joined->m_bProtected = false;
    joined->SetState(kStateTagPending);
    joined->m_strFolder = first.m_strFolder;
    joined->m_strGenre = first.m_strGenre;
    joined->m_strArtist = first.m_strArtist;
    joined->m_strOperator = first.m_strOperator;
    joined->SetTagSize(0);

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QProgressDialog progress(this);
    progress.setWindowTitle(LoadText(IDS_JOIN_WIZARD_TITLE));
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(kProgressAfterMs);
    progress.setWindowModality(Qt::WindowModal);
    progress.setRange(0, static_cast<int>(sources.size()));
    progress.setValue(0);
    CJoinFiles join(catalogue);
    join.SetRemover(m_context.remover);
    join.SetProgress([&progress](int done, int) { progress.setValue(done); });
    const CRecordingEntry* added = join.Join(sources, std::move(joined), replaced);
    progress.reset();
    QGuiApplication::restoreOverrideCursor();
    if (!added) {
        MessageBox(LoadText(IDS_JOIN_FAILED), PromptIcon::Stop);
        return false;
    }
    m_resultName = name;
    accept();
    return true;
}

}  // namespace sonvelle
