#include "operations/JoinOrderPage.h"

#include "operations/JoinInfoPage.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace sonvelle {

namespace {

const std::array<double, JOIN_COLUMNS> kWidths{0, 0.35, 0.20, 0.15, 0.30, 0, 0, 0};

}  // namespace

CJoinOrderPage::CJoinOrderPage(const JoinContext& context, std::vector<JoinRow> rows, const QString& sizeText)
    : m_context(context), m_rows(std::move(rows)), m_sizeText(sizeText)
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    m_header = new QLabel(this);
    m_subHeader = new QLabel(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QString::number(kList));
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(JOIN_COLUMNS);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionsMovable(true);
    m_up = new QPushButton(this);
    m_up->setObjectName(QString::number(kUp));
    m_down = new QPushButton(this);
    m_down->setObjectName(QString::number(kDown));
    m_next = new QPushButton(this);
    m_next->setObjectName(QString::number(kNext));
    m_next->setDefault(true);
    m_back = new QPushButton(this);
    m_back->setObjectName(QString::number(kBack));
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QString::number(kCancel));

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_header, 0, 0, 1, 2);
    layout->addWidget(m_subHeader, 1, 0, 1, 2);
    layout->addWidget(m_list, 2, 0, 3, 1);
    layout->addWidget(m_up, 2, 1);
    layout->addWidget(m_down, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons, 5, 0, 1, 2);
    resize(640, 420);

    connect(m_up, &QPushButton::clicked, this, [this]() { OnMove(-1); });
    connect(m_down, &QPushButton::clicked, this, [this]() { OnMove(1); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this]() {
        const bool selected = !m_list->selectedItems().isEmpty();
        m_up->setEnabled(selected);
        m_down->setEnabled(selected);
    });
    connect(m_next, &QPushButton::clicked, this, &CJoinOrderPage::OnNext);
    connect(m_back, &QPushButton::clicked, this, [this]() { done(kResultBack); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    OnInitDialog();
}

int CJoinOrderPage::exec()
{
    if (!m_context.catalogue || m_rows.empty())
        return Rejected;
    return QDialog::exec();
}

void CJoinOrderPage::OnInitDialog()
{
    setWindowTitle(LoadText(IDS_JOIN_WIZARD_TITLE));
    setWindowIcon(LoadIconResource(kIconProgram));
    m_header->setText(LoadText(IDS_JOIN_ORDER_TITLE));
    m_subHeader->setText(LoadText(IDS_JOIN_SELECT_HINT));
    m_up->setText(LoadText(IDS_JOIN_UP));
    m_down->setText(LoadText(IDS_JOIN_DOWN));
    m_next->setText(LoadText(IDS_JOIN_NEXT));
    m_back->setText(LoadText(IDS_JOIN_BACK));
    m_cancel->setText(LoadText(IDS_JOIN_CANCEL));
    m_list->setHeaderLabels({QString(), LoadText(IDS_COLUMN_NAME), LoadText(IDS_COLUMN_DATE), LoadText(IDS_COLUMN_TIME),
                             LoadText(IDS_COLUMN_NOTES), LoadText(IDS_COLUMN_DURATION), LoadText(IDS_COLUMN_SIZE),
                             LoadText(IDS_COLUMN_PROTECTED)});
    const int width = std::max(m_list->viewport()->width(), 600);
    for (int column = 0; column < JOIN_COLUMNS; ++column) {
        const double share = kWidths[static_cast<size_t>(column)];
        m_list->setColumnWidth(column, static_cast<int>(width * share) - (column == JOIN_COL_NOTES ? 2 : 0));
        m_list->setColumnHidden(column, share == 0);
    }
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [](const JoinRow& a, const JoinRow& b) { return RowStartSeconds(a) < RowStartSeconds(b); });
    for (const JoinRow& row : m_rows) {
        auto* item = new QTreeWidgetItem;
        for (int column = 0; column < JOIN_COLUMNS; ++column)
            item->setText(column, row.text[static_cast<size_t>(column)]);
        m_list->addTopLevelItem(item);
    }
    m_up->setEnabled(false);
    m_down->setEnabled(false);
}

std::vector<JoinRow> CJoinOrderPage::Rows() const
{
    std::vector<JoinRow> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        JoinRow row;
        for (int column = 0; column < JOIN_COLUMNS; ++column)
            row.text[static_cast<size_t>(column)] = m_list->topLevelItem(i)->text(column);
        row.checked = true;
        rows.push_back(row);
    }
    return rows;
}

void CJoinOrderPage::OnMove(int step)
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const int from = m_list->indexOfTopLevelItem(selected.front());
    const int to = from + step;
    if (to < 0 || to >= m_list->topLevelItemCount())
        return;
    QTreeWidgetItem* item = m_list->takeTopLevelItem(from);
    m_list->insertTopLevelItem(to, item);
    m_list->setCurrentItem(item);
    item->setSelected(true);
}

void CJoinOrderPage::OnNext()
{
    hide();
    CJoinInfoPage info(m_context, Rows(), m_sizeText);
    const int result = info.exec();
    if (result == kResultBack) {
        show();
        return;
    }
    if (result == Accepted) {
        m_resultName = info.ResultName();
        accept();
    } else {
        reject();
    }
}

}  // namespace sonvelle
