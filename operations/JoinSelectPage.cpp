#include "operations/JoinSelectPage.h"

#include "operations/JoinOrderPage.h"
#include "operations/JoinUnprotect.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "store/RecordingList.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace sonvelle {

namespace {

const std::array<double, JOIN_COLUMNS> kWidths{0.10, 0.40, 0.15, 0.15, 0.40, 0.15, 0.15, 0.15};

QFont TahomaEight()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    return font;
}

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

CJoinSelectPage::CJoinSelectPage()
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    m_header = new QLabel(this);
    m_subHeader = new QLabel(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QString::number(kList));
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(JOIN_COLUMNS);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionsMovable(true);
    m_following = new QCheckBox(this);
    m_following->setObjectName(QString::number(kShowFollowing));
    m_selectAll = new QCheckBox(this);
    m_selectAll->setObjectName(QString::number(kSelectAll));
    m_durationLabel = new QLabel(this);
    m_sizeLabel = new QLabel(this);
    m_totalDuration = new QLabel(this);
    m_totalDuration->setObjectName(QString::number(kTotalDuration));
    m_totalSize = new QLabel(this);
    m_totalSize->setObjectName(QString::number(kTotalSize));
    m_next = new QPushButton(this);
    m_next->setObjectName(QString::number(kNext));
    m_next->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QString::number(kCancel));

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_header, 0, 0, 1, 4);
    layout->addWidget(m_subHeader, 1, 0, 1, 4);
    layout->addWidget(m_list, 2, 0, 1, 4);
    layout->addWidget(m_following, 3, 0, 1, 2);
    layout->addWidget(m_selectAll, 3, 2, 1, 2);
    layout->addWidget(m_durationLabel, 4, 0);
    layout->addWidget(m_totalDuration, 4, 1);
    layout->addWidget(m_sizeLabel, 4, 2);
    layout->addWidget(m_totalSize, 4, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_next);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons, 5, 0, 1, 4);
    resize(640, 420);

    connect(m_list, &QTreeWidget::itemClicked, this, &CJoinSelectPage::OnRowClicked);
    connect(m_list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) { OnRowChanged(item); });
    connect(m_following, &QCheckBox::clicked, this, &CJoinSelectPage::OnShowFollowing);
    connect(m_selectAll, &QCheckBox::clicked, this, &CJoinSelectPage::OnSelectAll);
    connect(m_next, &QPushButton::clicked, this, &CJoinSelectPage::OnNext);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int CJoinSelectPage::exec()
{
    if (!OnInitDialog())
        return Rejected;
    return QDialog::exec();
}

bool CJoinSelectPage::OnInitDialog()
{
    if (!m_context.catalogue)
        return false;
    setWindowTitle(LoadText(IDS_JOIN_WIZARD_TITLE));
    setWindowIcon(LoadIconResource(kIconProgram));
    m_cancel->setText(LoadText(IDS_JOIN_CANCEL));
    m_next->setText(LoadText(IDS_JOIN_NEXT));
    m_selectAll->setText(LoadText(IDS_JOIN_SELECT_ALL));
    m_header->setText(LoadText(IDS_JOIN_SELECT_TITLE));
    m_subHeader->setText(LoadText(IDS_JOIN_SELECT_HINT));
    m_header->setFont(TahomaEight());
    m_subHeader->setFont(TahomaEight());
    m_durationLabel->setText(LoadText(IDS_JOIN_TOTAL_DURATION));
    m_sizeLabel->setText(LoadText(IDS_JOIN_TOTAL_SIZE));
    m_list->setHeaderLabels({LoadText(IDS_JOIN_TITLE), LoadText(IDS_COLUMN_NAME), LoadText(IDS_COLUMN_DATE),
                             LoadText(IDS_COLUMN_TIME), LoadText(IDS_COLUMN_NOTES), LoadText(IDS_COLUMN_DURATION),
                             LoadText(IDS_COLUMN_SIZE), LoadText(IDS_COLUMN_PROTECTED)});
    const int width = std::max(m_list->viewport()->width(), 600);
    for (int column = 0; column < JOIN_COLUMNS; ++column)
        m_list->setColumnWidth(column, static_cast<int>(width * kWidths[static_cast<size_t>(column)]));

    m_following->setChecked(true);
    m_selectAll->setChecked(false);
    m_totalDuration->setFont(TahomaEight());
    m_totalSize->setFont(TahomaEight());
    m_totalDuration->setText(FormatJoinDuration(0));
    m_totalSize->setText(QStringLiteral("0.0") + LoadText(IDS_UNIT_MB));

    if (!FillFollowing())
        return false;
    m_filling = true;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->text(JOIN_COL_PROTECTED) == QStringLiteral("Si"))
            m_list->topLevelItem(i)->setCheckState(JOIN_COL_MARK, Qt::Unchecked);
    m_filling = false;
    if (m_list->topLevelItemCount() <= 1) {
        m_following->setChecked(false);
        FillAll();
    }
    UpdateTotals();
    const QString first = m_context.mainSelection.empty()
        ? QString()
        : m_context.mainRows[static_cast<size_t>(m_context.mainSelection.front())]->m_strName;
    m_following->setText(FormatText(IDS_JOIN_SHOW_FOLLOWING, first));
    return true;
}

CRecordingEntry* CJoinSelectPage::EntryOf(const QString& name) const
{
    return m_context.catalogue ? m_context.catalogue->FindByName(name) : nullptr;
}

void CJoinSelectPage::AddRow(const JoinRow& row, int at)
{
    auto* item = new QTreeWidgetItem;
    for (int column = 0; column < JOIN_COLUMNS; ++column)
        item->setText(column, row.text[static_cast<size_t>(column)]);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(JOIN_COL_MARK, row.checked ? Qt::Checked : Qt::Unchecked);
    if (at < 0 || at > m_list->topLevelItemCount())
        m_list->addTopLevelItem(item);
    else
        m_list->insertTopLevelItem(at, item);
}

bool CJoinSelectPage::FillFollowing()
{
    m_filling = true;
    m_list->clear();
    const auto& rows = m_context.mainRows;
    const auto& selection = m_context.mainSelection;
    if (selection.size() > 1) {
        m_following->setEnabled(false);
        for (int index : selection) {
            CRecordingEntry* entry = rows[static_cast<size_t>(index)];
            if (entry->IsInUse())
                continue;
            JoinRow row = JoinRowOf(*entry);
            row.checked = true;
            AddRow(row);
        }
        m_filling = false;
        return true;
    }
    m_following->setEnabled(true);
    if (selection.empty()) {
        m_filling = false;
        return true;
    }
    if (rows[static_cast<size_t>(selection.front())]->IsInUse()) {
        m_filling = false;
        MessageBox(LoadText(IDS_IN_USE_JOIN), PromptIcon::Stop);
        return false;
    }
    std::vector<JoinRow> mainRows;
    mainRows.reserve(rows.size());
    for (const CRecordingEntry* entry : rows)
        mainRows.push_back(JoinRowOf(*entry));
    const auto inUse = [this](const JoinRow& row) {
        const CRecordingEntry* entry = EntryOf(row.Name());
        return entry && entry->IsInUse();
    };
    for (int index : FollowingRows(mainRows, selection.front(), inUse)) {
        JoinRow row = mainRows[static_cast<size_t>(index)];
        row.checked = true;
        AddRow(row);
    }
    m_filling = false;
    return true;
}

void CJoinSelectPage::FillAll()
{
    WaitCursor wait;
    m_filling = true;
    QTreeWidgetItem* firstPresent = m_list->topLevelItemCount() > 0 ? m_list->topLevelItem(0) : nullptr;
    QSet<QString> present;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        present.insert(m_list->topLevelItem(i)->text(JOIN_COL_NAME));
    const auto& rows = m_context.mainRows;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const CRecordingEntry* entry = rows[static_cast<size_t>(i)];
        if (entry->IsInUse() || present.contains(entry->m_strName))
            continue;
        AddRow(JoinRowOf(*entry), i);
    }
    m_filling = false;
    if (firstPresent)
        m_list->scrollToItem(firstPresent);
}

void CJoinSelectPage::OnShowFollowing()
{
    if (m_following->isChecked()) {
        if (!FillFollowing()) {
            reject();
            return;
        }
    } else {
        FillAll();
    }
    UpdateTotals();
}

bool CJoinSelectPage::UnprotectRow(QTreeWidgetItem* item)
{
    CRecordingEntry* entry = EntryOf(item->text(JOIN_COL_NAME));
    if (!entry)
        return false;
    // Opening it for writing tells whether another program holds the file.
    QFile probe(entry->FilePath());
    if (!probe.open(QIODevice::ReadWrite)) {
        MessageBox(LoadText(IDS_IN_USE_PREFIX) + entry->m_strName + LoadText(IDS_IN_USE_SUFFIX), PromptIcon::Stop);
        return false;
    }
    probe.close();
    const bool unprotected = m_context.unprotect ? m_context.unprotect(*entry, this)
                                                 : UnprotectForJoining(*m_context.catalogue, *entry, this);
    if (!unprotected)
        return false;
    m_filling = true;
    item->setText(JOIN_COL_PROTECTED, LoadText(IDS_NO));
    m_filling = false;
    if (m_context.rowUnprotected)
        m_context.rowUnprotected(entry->m_strName);
    return true;
}

void CJoinSelectPage::OnRowClicked(QTreeWidgetItem* item, int column)
{
    if (!item)
        return;
    const bool isProtected = item->text(JOIN_COL_PROTECTED) == QStringLiteral("Si");
    if (isProtected) {
        if (UnprotectRow(item))
            item->setCheckState(JOIN_COL_MARK, Qt::Checked);
        return;
    }
    // Column 0 holds the check box, which toggles by itself.
    if (column != JOIN_COL_MARK)
        item->setCheckState(JOIN_COL_MARK, item->checkState(JOIN_COL_MARK) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void CJoinSelectPage::OnRowChanged(QTreeWidgetItem* item)
{
    if (m_filling || !item)
        return;
    const bool checked = item->checkState(JOIN_COL_MARK) == Qt::Checked;
    if (checked && item->text(JOIN_COL_PROTECTED) == QStringLiteral("Si")) {
        m_filling = true;
        item->setCheckState(JOIN_COL_MARK, Qt::Unchecked);
        m_filling = false;
        return;
    }
    if (!checked)
        m_selectAll->setChecked(false);
    UpdateTotals();
}

void CJoinSelectPage::OnSelectAll()
{
    if (!m_selectAll->isChecked())
        return;
    WaitCursor wait;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (item->text(JOIN_COL_PROTECTED) == QStringLiteral("Si") && !UnprotectRow(item)) {
            m_selectAll->setChecked(false);
            continue;
        }
        m_filling = true;
        item->setCheckState(JOIN_COL_MARK, Qt::Checked);
        m_filling = false;
    }
    UpdateTotals();
}

std::vector<JoinRow> CJoinSelectPage::Rows() const
{
    std::vector<JoinRow> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        JoinRow row;
        for (int column = 0; column < JOIN_COLUMNS; ++column)
            row.text[static_cast<size_t>(column)] = item->text(column);
        row.checked = item->checkState(JOIN_COL_MARK) == Qt::Checked;
        rows.push_back(row);
    }
    return rows;
}

QString CJoinSelectPage::SizeText() const { return m_totalSize->text(); }
QString CJoinSelectPage::DurationText() const { return m_totalDuration->text(); }

void CJoinSelectPage::UpdateTotals()
{
    qint64 seconds = 0;
    qint64 bytes = 0;
    int checked = 0;
    for (const JoinRow& row : Rows()) {
        if (!row.checked)
            continue;
        ++checked;
        seconds += DurationTextSeconds(row.text[JOIN_COL_DURATION]);
        if (const CRecordingEntry* entry = EntryOf(row.Name())) {
            const QFileInfo file(entry->FilePath());
            if (file.isFile())
                bytes += file.size();
        }
    }
    m_totalDuration->setText(FormatJoinDuration(seconds));
    m_totalSize->setText(FormatJoinSize(bytes));
    m_next->setEnabled(checked > 1);
}

void CJoinSelectPage::OnNext()
{
    std::vector<JoinRow> checked;
    for (const JoinRow& row : Rows())
        if (row.checked)
            checked.push_back(row);
    if (checked.size() < 2)
        return;
    hide();
    CJoinOrderPage order(m_context, checked, SizeText());
    const int result = order.exec();
    if (result == CJoinOrderPage::kResultBack) {
        show();
        return;
    }
    if (result == Accepted) {
        m_resultName = order.ResultName();
        accept();
    } else {
        reject();
    }
}

}  // namespace sonvelle
