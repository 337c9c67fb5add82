#include "gui/prices/missingpriceform.h"

#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/prices/pricetables.h"
#include "gui/common/dialogrunner.h"
#include "gui/common/flexgrid.h"
#include "gui/prices/priceentry.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <iterator>

namespace tarvex {

namespace {

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QString summaryText(const QList<MissingPrice> &items)
{
    if (items.isEmpty())
        return QStringLiteral("所有材料都已有价格。");
    int count[std::size(kMaterialKinds)] = {};
    for (const MissingPrice &item : items)
        ++count[int(item.kind)];
    return QStringLiteral("共%1项缺价: 主材%2项(缺线重), 附件%3项, 玻璃%4项(缺单价)。双击一项录入单价。")
        .arg(items.size())
        .arg(count[int(MaterialKind::Profile)])
        .arg(count[int(MaterialKind::Accessory)])
        .arg(count[int(MaterialKind::Glass)]);
}

} // namespace

MissingPriceForm::MissingPriceForm(bool forQuotation, QWidget *parent)
    : QDialog(parent)
    , m_forQuotation(forQuotation)
    , m_summary(new QLabel(this))
    , m_list(new QTableWidget(0, 6, this))
    , m_enter(button(this, "Command1", QStringLiteral("录入单价")))
    , m_record(new FlexGrid(this))
{
    m_record->hide();
    setObjectName(QStringLiteral("qjForm"));
    setWindowTitle(QStringLiteral("缺价清单"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_summary->setObjectName(QStringLiteral("Label1"));
    m_list->setObjectName(QStringLiteral("Flex1"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("类别"), QStringLiteral("代号/名称"), QStringLiteral("规格"),
        QStringLiteral("技术要求"), QStringLiteral("行数"), QStringLiteral("门窗数")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 60);
    m_list->setColumnWidth(1, 200);
    m_list->setColumnWidth(2, 120);
    m_list->setColumnWidth(3, 120);
    m_list->setColumnWidth(4, 70);

    QPushButton *reload = button(this, "Command2", QStringLiteral("刷 新"));
    QPushButton *close = button(this, "Command3", QStringLiteral("关 闭"));
    // Enter on a row opens its entry dialog.
    m_enter->setDefault(true);
    reload->setAutoDefault(false);
    close->setAutoDefault(false);
    connect(m_enter, &QPushButton::clicked, this, &MissingPriceForm::enterCurrent);
    connect(reload, &QPushButton::clicked, this, &MissingPriceForm::refresh);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int row) { enterPrice(row); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_enter);
    buttons->addWidget(reload);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(720, 420);
}

bool MissingPriceForm::refresh()
{
    try {
        m_items = listMissingPrices();
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    showItems();
    return true;
}

void MissingPriceForm::showItems()
{
    const int current = qMax(0, m_list->currentRow());
    m_list->setRowCount(int(m_items.size()));
    for (int r = 0; r < m_items.size(); ++r) {
        const MissingPrice &item = m_items.at(r);
        const QStringList keys = missingPriceKeys(item);
        const QStringList cells {materialKindName(item.kind), keys.value(0), keys.value(1), keys.value(2),
            QString::number(item.rows), QString::number(item.windows)};
        for (int c = 0; c < cells.size(); ++c) {
            auto *cell = new QTableWidgetItem(cells.at(c));
            if (c >= 4)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_list->setItem(r, c, cell);
        }
    }
    m_summary->setText(summaryText(m_items));
    m_enter->setEnabled(!m_items.isEmpty());
    if (!m_items.isEmpty())
        m_list->setCurrentCell(qMin(current, int(m_items.size()) - 1), 0);
}

void MissingPriceForm::enterCurrent()
{
    enterPrice(m_list->currentRow());
}

void MissingPriceForm::enterPrice(int row)
{
    if (row < 0 || row >= m_items.size())
        return;
    const MissingPrice item = m_items.at(row);
    PriceEntryRequest request = addPriceRequest(item.kind, item.keys);
    if (!item.record.isNull()) {
        // The material has a price record, only without the price: adding
        // another would not be used, so that record is modified.
        try {
            m_record->load(QStringLiteral("SELECT * FROM %1 WHERE 编号=%2")
                               .arg(priceTable(request.table).name)
                               .arg(item.record.toLongLong()),
                Database::shared());
        } catch (const Error &e) {
            reportError(e.message());
            return;
        }
        m_record->setCurrentCell(1, 0);
        request.caller = EntryCaller::Browser;
        request.mode = EntryMode::Modify;
        request.caption = QStringLiteral("修改数据");
        request.grid = m_record;
    }
    showPriceEntryDialog(
        this, request, [this] { refresh(); }, statusTextOf(this));
    afterEntry();
}

void MissingPriceForm::afterEntry()
{
    if (refresh() && m_items.isEmpty() && m_forQuotation)
        accept();
}

bool showMissingPrices(QWidget *parent, bool forQuotation, const StatusTextSink &status)
{
    MissingPriceForm form(forQuotation, parent);
    if (status)
        QObject::connect(&form, &MissingPriceForm::statusText, &form, status);
    if (!form.refresh())
        return false;
    // A quotation refused by a check this list does not see again has
    // nothing to offer here; running it again would only refuse again.
    if (forQuotation && form.items().isEmpty())
        return false;
    runDialog(&form);
    return form.refresh() && form.items().isEmpty();
}

} // namespace tarvex
