#include "core/offer/offerworkbook.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/common/numbers.h"
#include "core/document/xlsxcells.h"
#include "core/quote/sheetrounding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace tarvex {

namespace {

constexpr int kColumns = 7; // 序号 窗号 门窗系列 樘数 面积 单价 金额
constexpr int kSerialCol = 0;
constexpr int kCountCol = 3;
constexpr int kAreaCol = 4;
constexpr int kPriceCol = 5;
constexpr int kAmountCol = 6;

struct Formats {
    explicit Formats(lxw_workbook *book)
    {
        auto make = [book](bool bordered) { return addCellFormat(book, bordered); };
        firm = make(false);
        format_set_font_size(firm, 16);
        format_set_bold(firm);
        format_set_align(firm, LXW_ALIGN_CENTER);
        title = make(false);
        format_set_font_size(title, 18);
        format_set_bold(title);
        format_set_align(title, LXW_ALIGN_CENTER);
        centred = make(false);
        format_set_align(centred, LXW_ALIGN_CENTER);
        field = make(false);
        heading = make(true);
        format_set_bold(heading);
        format_set_align(heading, LXW_ALIGN_CENTER);
        format_set_bg_color(heading, 0xE8E8E8);
        text = make(true);
        count = make(true);
        area = make(true);
        format_set_num_format(area, "0.00");
        price = make(true);
        format_set_num_format(price, "0.000");
        money = make(true);
        format_set_num_format(money, "#,##0.00");
        percent = make(true);
        format_set_num_format(percent, "0.00\"%\"");
        boldText = make(true);
        format_set_bold(boldText);
        format_set_align(boldText, LXW_ALIGN_RIGHT);
        boldMoney = make(true);
        format_set_bold(boldMoney);
        format_set_num_format(boldMoney, "#,##0.00");
        boldCount = make(true);
        format_set_bold(boldCount);
        boldArea = make(true);
        format_set_bold(boldArea);
        format_set_num_format(boldArea, "0.00");
    }

    lxw_format *firm, *title, *centred, *field, *heading, *text, *count, *area, *price, *money, *percent, *boldText,
        *boldMoney, *boldCount, *boldArea;
};

// The expression rounded to the fen half to even, as the offer rounds it,
// whatever the user types into the cells it reads.
QString roundTo(const QString &expression)
{
    return halfEvenFormula(expression, 2);
}

class OfferSheet {
public:
    OfferSheet(lxw_worksheet *sheet, const Formats &formats, const Offer &offer)
        : m_cells(sheet)
        , m_f(formats)
        , m_offer(offer)
    {
    }

    void write(const OfferLetterhead &head)
    {
        check(worksheet_set_column(m_cells.sheet(), 0, 0, 6, nullptr));
        check(worksheet_set_column(m_cells.sheet(), 1, 2, 16, nullptr));
        check(worksheet_set_column(m_cells.sheet(), 3, 3, 7, nullptr));
        check(worksheet_set_column(m_cells.sheet(), 4, 6, 14, nullptr));
        header(head);
        table();
        totals();
        footer(head);
        worksheet_fit_to_pages(m_cells.sheet(), 1, 0);
        worksheet_set_paper(m_cells.sheet(), 9); // A4
    }

private:
    void merged(const QString &text, lxw_format *format)
    {
        m_cells.mergedText(m_row, 0, m_row, kColumns - 1, text, format);
        ++m_row;
    }

    void header(const OfferLetterhead &head)
    {
        merged(head.firm.name, m_f.firm);
        QStringList contact;
        if (!head.firm.address.isEmpty())
            contact.append(QStringLiteral("地址: ") + head.firm.address);
        if (!head.firm.phone.isEmpty())
            contact.append(QStringLiteral("电话: ") + head.firm.phone);
        merged(contact.join(QStringLiteral("    ")), m_f.centred);
        merged(m_offer.revision > 0 ? QStringLiteral("报价单(修订)") : QStringLiteral("报价单"), m_f.title);
        const QString date = m_offer.date.toString(QStringLiteral("yyyy-MM-dd"));
        const std::pair<QString, QString> fields[] = {
            {QStringLiteral("客户: ") + m_offer.customer, QStringLiteral("报价编号: ") + m_offer.number},
            {QStringLiteral("项目: ") + m_offer.project, QStringLiteral("报价日期: ") + date},
            {QStringLiteral("面积依据: ") + areaBasisCaption(m_offer.areaBasis),
                QStringLiteral("有效期: %1天(至%2)")
                    .arg(m_offer.validityDays)
                    .arg(m_offer.date.addDays(m_offer.validityDays).toString(QStringLiteral("yyyy-MM-dd")))},
        };
        for (const auto &[left, right] : fields) {
            m_cells.text(m_row, 0, left, m_f.field);
            m_cells.text(m_row, 4, right, m_f.field);
            ++m_row;
        }
        if (m_offer.revision > 0) {
            QString note = QStringLiteral("本报价为 %1 的第%2次修订").arg(m_offer.revisionOf).arg(m_offer.revision);
            if (m_offer.previousTotal)
                note += QStringLiteral(", 被替代报价的总计 ") + formatYuan(*m_offer.previousTotal)
                    + QStringLiteral("元");
            m_cells.text(m_row++, 0, note, m_f.field);
        }
        ++m_row;
    }

    void table()
    {
        const QString headings[kColumns]
            = {QStringLiteral("序号"), QStringLiteral("窗号"), QStringLiteral("门窗系列"), QStringLiteral("樘数"),
                QStringLiteral("面积(m²)"), QStringLiteral("单价(元/m²)"), QStringLiteral("金额(元)")};
        for (int c = 0; c < kColumns; ++c)
            m_cells.text(m_row, c, headings[c], m_f.heading);
        ++m_row;
        m_firstLineRow = m_row;
        const QVector<OfferSubtotal> subtotals = offerSubtotals(m_offer);
        int next = 0;
        int serial = 0;
        for (const OfferSubtotal &subtotal : subtotals) {
            const int first = m_row;
            for (; next < m_offer.lines.size() && m_offer.lines.at(next).series == subtotal.series; ++next)
                lineRow(++serial, m_offer.lines.at(next));
            if (m_offer.scope == OfferScope::Window)
                subtotalRow(subtotal, first, m_row - 1);
        }
        m_lastLineRow = m_row - 1;
    }

    void lineRow(int serial, const OfferLine &line)
    {
        m_cells.number(m_row, kSerialCol, serial, m_f.count);
        m_cells.text(m_row, 1, line.window, m_f.text);
        m_cells.text(m_row, 2, line.series, m_f.text);
        m_cells.number(m_row, kCountCol, line.count, m_f.count);
        m_cells.number(m_row, kAreaCol, line.area, m_f.area);
        m_cells.number(m_row, kPriceCol, line.unitPrice, m_f.price);
        const QString product = cellRef(m_row, kAreaCol) + QLatin1Char('*') + cellRef(m_row, kPriceCol);
        m_cells.formula(m_row, kAmountCol, roundTo(product), toYuan(line.amount), m_f.money);
        ++m_row;
    }

    QString columnSum(int col, int first, int last) const
    {
        return QStringLiteral("SUM(%1:%2)").arg(cellRef(first, col), cellRef(last, col));
    }

    void subtotalRow(const OfferSubtotal &subtotal, int first, int last)
    {
        m_cells.text(m_row, kSerialCol, QString(), m_f.text);
        m_cells.text(m_row, 1, QStringLiteral("小计"), m_f.boldText);
        m_cells.text(m_row, 2, subtotal.series, m_f.boldText);
        m_cells.formula(m_row, kCountCol, columnSum(kCountCol, first, last), subtotal.count, m_f.boldCount);
        m_cells.formula(m_row, kAreaCol, QStringLiteral("ROUND(%1,2)").arg(columnSum(kAreaCol, first, last)),
            subtotal.area, m_f.boldArea);
        m_cells.text(m_row, kPriceCol, QString(), m_f.text);
        m_cells.formula(m_row, kAmountCol, QStringLiteral("ROUND(%1,2)").arg(columnSum(kAmountCol, first, last)),
            toYuan(subtotal.amount), m_f.boldMoney);
        ++m_row;
    }

    // A totals row: caption over the first five columns, rate and amount.
    int totalRow(const QString &caption, std::optional<double> rate, const QString &formula, Fen value, bool bold)
    {
        m_cells.mergedText(m_row, 0, m_row, kPriceCol - 1, caption, m_f.boldText);
        if (rate)
            m_cells.number(m_row, kPriceCol, *rate, m_f.percent);
        else
            m_cells.text(m_row, kPriceCol, QString(), m_f.text);
        m_cells.formula(m_row, kAmountCol, formula, toYuan(value), bold ? m_f.boldMoney : m_f.money);
        return m_row++;
    }

    void totals()
    {
        const OfferTotals &t = m_offer.totals;
        const QString lines = QStringLiteral("%1:%2").arg(
            cellRef(m_firstLineRow, kAmountCol), cellRef(std::max(m_firstLineRow, m_lastLineRow), kAmountCol));
        // Subtotal rows have no serial number: the sum takes the lines only.
        const QString serials = QStringLiteral("%1:%2").arg(
            cellRef(m_firstLineRow, kSerialCol), cellRef(std::max(m_firstLineRow, m_lastLineRow), kSerialCol));
        const int subtotalRow = totalRow(QStringLiteral("合计"), std::nullopt,
            QStringLiteral("ROUND(SUMIF(%1,\">0\",%2),2)").arg(serials, lines), t.subtotal, true);
        const QString subtotal = cellRef(subtotalRow, kAmountCol);
        QString discount = QStringLiteral("0");
        switch (m_offer.discount.kind) {
        case OfferDiscount::Kind::Percent: {
            const int row = m_row;
            const QString expression = subtotal + QLatin1Char('*') + cellRef(row, kPriceCol) + QStringLiteral("/100");
            totalRow(discountCaption(m_offer.discount), m_offer.discount.value, QLatin1Char('-') + roundTo(expression),
                -t.discount, false);
            discount = cellRef(row, kAmountCol);
            break;
        }
        case OfferDiscount::Kind::Amount:
            discount = cellRef(totalRow(discountCaption(m_offer.discount), std::nullopt,
                                   QLatin1Char('-') + plainNumber(toYuan(t.discount)), -t.discount, false),
                kAmountCol);
            break;
        case OfferDiscount::Kind::None:
            break;
        }
        QString tax = QStringLiteral("0");
        if (m_offer.taxPercent) {
            const int row = m_row;
            const QString expression
                = QStringLiteral("(%1+%2)*%3/100").arg(subtotal, discount, cellRef(row, kPriceCol));
            totalRow(taxCaption(*m_offer.taxPercent), *m_offer.taxPercent, roundTo(expression), t.tax, false);
            tax = cellRef(row, kAmountCol);
        }
        totalRow(QStringLiteral("总计"), std::nullopt, QStringLiteral("ROUND(%1+%2+%3,2)").arg(subtotal, discount, tax),
            t.total, true);
        m_cells.mergedText(
            m_row, 0, m_row, kColumns - 1, QStringLiteral("总计(大写): ") + amountInWords(t.total), m_f.boldText);
        ++m_row;
    }

    void footer(const OfferLetterhead &head)
    {
        ++m_row;
        if (!head.terms.isEmpty()) {
            m_cells.text(m_row++, 0, QStringLiteral("说明:"), m_f.field);
            for (const QString &term : head.terms)
                m_cells.text(m_row++, 0, term, m_f.field);
        }
        ++m_row;
        m_cells.text(m_row, 0, QStringLiteral("报价单位(盖章): ") + head.firm.name, m_f.field);
        m_cells.text(m_row++, 4, QStringLiteral("客户确认(签字):"), m_f.field);
        m_cells.text(
            m_row, 0, QStringLiteral("日期: ") + m_offer.date.toString(QStringLiteral("yyyy-MM-dd")), m_f.field);
        m_cells.text(m_row++, 4, QStringLiteral("日期:"), m_f.field);
    }

    SheetWriter m_cells;
    const Formats &m_f;
    const Offer &m_offer;
    int m_row = 0;
    int m_firstLineRow = 0;
    int m_lastLineRow = 0;
};

} // namespace

void writeOfferWorkbook(const QString &path, const Offer &offer, const OfferLetterhead &letterhead)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw Error(cannotMakeTempFolderText(scratch.errorString()));
    const QString built = scratch.filePath(QStringLiteral("offer.xlsx"));
    QByteArray tmpdir = QFile::encodeName(scratch.path());
    lxw_workbook_options options {};
    options.tmpdir = tmpdir.data();
    std::unique_ptr<lxw_workbook, WorkbookFree> book(workbook_new_opt(QFile::encodeName(built).constData(), &options));
    if (!book)
        throw Error(QStringLiteral("无法创建工作簿 ") + QDir::toNativeSeparators(path));
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), "报价单");
    if (!sheet)
        throw Error(QStringLiteral("无法添加工作表 报价单"));
    const Formats formats(book.get());
    OfferSheet(sheet, formats, offer).write(letterhead);
    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR)
        throw Error(QStringLiteral("无法写入文件 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
            + QString::fromUtf8(lxw_strerror(closed)));
    copyFileAtomically(built, path);
}

} // namespace tarvex
