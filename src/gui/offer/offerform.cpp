#include "gui/offer/offerform.h"

#include "core/common/appstate.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/io/savefile.h"
#include "core/common/messages.h"
#include "core/offer/offerpaper.h"
#include "core/offer/offersequence.h"
#include "core/quote/datacheck.h"
#include "core/quote/quotesettings.h"
#include "gui/common/flexgrid.h"
#include "gui/document/pageprint.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace tarvex {

namespace {

// Money in the list as the offers print it: 8,667.01.
class MoneyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        bool ok = false;
        const double yuan = value.toString().toDouble(&ok);
        return ok ? formatYuan(toFen(yuan)) : QStyledItemDelegate::displayText(value, locale);
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

// Rows of cells split by tabs as a small table.
QString tableHtml(const QString &tabbed)
{
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const QString &line : tabbed.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        html += QStringLiteral("<tr>");
        for (const QString &cell : line.split(QLatin1Char('\t')))
            html += QStringLiteral("<td align=\"right\">&nbsp;") + cell.toHtmlEscaped() + QStringLiteral("&nbsp;</td>");
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QDate dateOf(const QLineEdit *box)
{
    return QDate::fromString(box->text().trimmed(), Qt::ISODate);
}

} // namespace

OfferForm::OfferForm(QWidget *parent)
    : QWidget(parent)
    , m_customer(named(new QLineEdit(this), "Text1"))
    , m_project(named(new QLineEdit(this), "Text2"))
    , m_from(named(new QLineEdit(this), "Text3"))
    , m_to(named(new QLineEdit(this), "Text4"))
    , m_grid(named(new FlexGrid(this), "Flex1"))
    , m_comparison(named(new QLabel(this), "Label1"))
{
    m_comparison->setTextFormat(Qt::RichText);
    setObjectName(QStringLiteral("OfferForm"));
    setWindowTitle(QStringLiteral("报价记录"));
    m_from->setPlaceholderText(QStringLiteral("yyyy-MM-dd"));
    m_to->setPlaceholderText(QStringLiteral("yyyy-MM-dd"));

    auto *filters = new QHBoxLayout;
    const std::pair<const char *, QLineEdit *> boxes[]
        = {{"客户", m_customer}, {"项目", m_project}, {"日期从", m_from}, {"到", m_to}};
    for (const auto &[caption, box] : boxes) {
        filters->addWidget(new QLabel(QString::fromUtf8(caption), this));
        filters->addWidget(box, box == m_customer || box == m_project ? 2 : 1);
    }
    auto *query = named(new QPushButton(QStringLiteral("查询"), this), "Command1");
    filters->addWidget(query);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_comparison, 1);
    const std::pair<const char *, const char *> captions[]
        = {{"Command2", "重印"}, {"Command3", "修订"}, {"Command4", "删除"}, {"Command5", "关闭"}};
    QPushButton *pushed[4];
    for (int i = 0; i < 4; ++i) {
        pushed[i] = named(new QPushButton(QString::fromUtf8(captions[i].second), this), captions[i].first);
        buttons->addWidget(pushed[i]);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);

    auto *money = new MoneyDelegate(m_grid);
    const QStringList columns = offerListColumns();
    for (const char *column : {"合计", "优惠", "税金", "总计"})
        m_grid->setItemDelegateForColumn(int(columns.indexOf(QString::fromUtf8(column))), money);
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &OfferForm::sortBy);

    connect(m_grid, &FlexGrid::currentCellChanged, m_grid, &FlexGrid::changeColor);
    connect(query, &QPushButton::clicked, this, &OfferForm::load);
    for (QLineEdit *box : {m_customer, m_project, m_from, m_to})
        connect(box, &QLineEdit::returnPressed, this, &OfferForm::load);
    connect(pushed[0], &QPushButton::clicked, this, &OfferForm::reprint);
    connect(pushed[1], &QPushButton::clicked, this, &OfferForm::revise);
    connect(pushed[2], &QPushButton::clicked, this, &OfferForm::remove);
    connect(pushed[3], &QPushButton::clicked, this, &QWidget::close);
}

OfferFilter OfferForm::filter() const
{
    OfferFilter f;
    f.customer = m_customer->text();
    f.project = m_project->text();
    f.from = dateOf(m_from);
    f.to = dateOf(m_to);
    f.sortColumn = m_sortColumn;
    f.descending = m_descending;
    return f;
}

void OfferForm::load()
{
    for (QLineEdit *box : {m_from, m_to}) {
        if (!box->text().trimmed().isEmpty() && !dateOf(box).isValid()) {
            messages().warning(QStringLiteral("日期应写成 yyyy-MM-dd: ") + box->text().trimmed());
            return;
        }
    }
    try {
        const OfferListQuery list = offerListQuery(filter());
        m_grid->load(list.sql, Database::shared(), list.values);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    m_grid->horizontalHeader()->setSortIndicator(m_sortColumn, m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_grid->resizeColumnsToContents();
    emit statusText(StatusPanel::RecordCount, recordCountText(m_grid->recordCount()));
}

void OfferForm::sortBy(int column)
{
    m_descending = column == m_sortColumn && !m_descending;
    m_sortColumn = column;
    load();
}

QString OfferForm::currentNumber() const
{
    if (m_grid->recordCount() == 0 || m_grid->row() < 1)
        return QString();
    return m_grid->textMatrix(m_grid->row(), 0);
}

std::optional<RecordedOffer> OfferForm::current() const
{
    const QString number = currentNumber();
    if (number.isEmpty()) {
        messages().warning(QStringLiteral("请先选择一个报价"));
        return std::nullopt;
    }
    std::optional<RecordedOffer> recorded = readOffer(number);
    if (!recorded)
        reportError(QStringLiteral("没有编号为 %1 的报价").arg(number));
    return recorded;
}

void OfferForm::select(const QString &number)
{
    for (int row = 1; row <= m_grid->recordCount(); ++row) {
        if (m_grid->textMatrix(row, 0) == number) {
            m_grid->setCurrentCell(row, 0);
            return;
        }
    }
}

bool OfferForm::reprint()
{
    try {
        const std::optional<RecordedOffer> recorded = current();
        return recorded && exportPdfAsked([&](const QString &path) { saveFileAtomically(path, recorded->pdf); });
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
}

bool OfferForm::revise()
{
    try {
        const std::optional<RecordedOffer> old = current();
        if (!old)
            return false;
        const QString loaded = appState().currentFilePath;
        const QString source = old->offer.sourceFile;
        if (!source.isEmpty() && !loaded.isEmpty() && QDir::cleanPath(source) != QDir::cleanPath(loaded)
            && !messages().question(
                QStringLiteral("报价 %1 的工程文件是 %2, 当前打开的是 %3.\n是否仍按当前数据修订?")
                    .arg(old->offer.number, QDir::toNativeSeparators(source), QDir::toNativeSeparators(loaded))))
            return false;
        QuoteSteps steps;
        steps.goOnWithout = [](DataCheckResult check) {
            messages().warning(dataCheckMessage(check));
            return false;
        };
        steps.askPrice = [&old](const LcPriceClass &cls, const QString &prompt) {
            return messages().input(
                prompt, QStringLiteral("Tarvex"), recordedClassPrice(old->offer, cls).value_or(QStringLiteral("0")));
        };
        PageDocument pages;
        const std::optional<RecordedOffer> revised = reviseRecordedOffer(
            *old, quoteOptionsFromSettings(readQuoteSettings(iniPath())), steps,
            [](const QStringList &differences) {
                return differences.isEmpty()
                    || messages().question(QStringLiteral("工程数据与原报价不同:\n")
                        + differences.join(QLatin1Char('\n')) + QStringLiteral("\n是否仍然修订?"));
            },
            readOfferSettings(iniPath()), &pages);
        if (!revised)
            return false;
        const QString comparison = revisionComparison(old->offer, revised->offer);
        m_comparison->setText(tableHtml(comparison));
        load();
        select(revised->offer.number);
        emit statusText(StatusPanel::Note, QStringLiteral("已出具报价 ") + revised->offer.number);
        messages().information(
            QStringLiteral("已出具修订报价 ") + revised->offer.number + QStringLiteral("\n") + comparison);
        emit offerIssued(pages, offerTitle(revised->offer), revised->pdf);
        return true;
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
}

bool OfferForm::remove()
{
    const QString number = currentNumber();
    if (number.isEmpty()) {
        messages().warning(QStringLiteral("请先选择一个报价"));
        return false;
    }
    if (!messages().confirmDeletion(QStringLiteral("是否确定要删除当前记录?\n报价编号: ") + number))
        return false;
    try {
        deleteOffer(number);
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    load();
    return true;
}

} // namespace tarvex
