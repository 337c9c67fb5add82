#include "core/quote/paperquotation.h"

#include "core/common/error.h"
#include "core/common/io/textcodec.h"
#include "core/common/numbers.h"

#include <algorithm>

namespace tarvex {

namespace {

const QString kFont = QStringLiteral("宋体");

constexpr int kLinesPerPage = 32;
constexpr int kFirstBodyLine = 4; // after title, area, headings and "一"
constexpr double kLineHeight = 0.3;
constexpr double kPageLeft = 0.6;
constexpr double kPageRight = 7.9;
constexpr double kFirstPageTableTop = 1.1; // the rule under the area line
constexpr double kTopRule = 0.5;
constexpr double kBottomRule = 10.1;
constexpr double kVerticalRules[] = {0.6, 1.15, 2.45, 3.75, 4.55, 5.35, 5.95, 6.95, 7.9};

// A column's text box, and the vertical rules its texts stay between.
struct Column {
    double left;
    double width;
    double ruleLeft;
    double ruleRight;
};
constexpr Column kSerial {0.6, 0.6, 0.6, 1.15};
constexpr Column kName {1.2, 1.3, 1.15, 2.45};
constexpr Column kSpec {2.5, 1.3, 2.45, 3.75};
constexpr Column kQty {3.8, 0.8, 3.75, 4.55};
constexpr Column kUnit {4.6, 0.8, 4.55, 5.35};
constexpr Column kPrice {5.4, 0.6, 5.35, 5.95};
constexpr Column kTotal {6, 1, 5.95, 6.95};
constexpr Column kRemark {7, 0.9, 6.95, 7.9};

constexpr int kCentre = PageText::Centre;
constexpr int kLeft = PageText::Left;

// Text top of a line index, and the rule that closes it.
double lineTop(int index)
{
    return 0.6 + kLineHeight * index;
}

double ruleBelow(int index)
{
    return kTopRule + kLineHeight * (index + 1);
}

// The cell of a column on a line: between its vertical rules and the rules
// above and below the line.
PageBox cellOf(double left, double right, int index)
{
    return {left, ruleBelow(index) - kLineHeight, right, ruleBelow(index)};
}

PageBox cellOf(const Column &column, int index)
{
    return cellOf(column.ruleLeft, column.ruleRight, index);
}

// The body of one quotation: a line counter running on over the pages (line
// index = counter % 32) and the page breaks it causes.
class PaperBody {
public:
    PaperBody(PageDocument &document, int firstLine)
        : m_doc(document)
        , m_line(firstLine)
    {
    }

    int counter() const { return m_line; }
    int index() const { return m_line % kLinesPerPage; }

    // Called before every body line.
    void beginLine()
    {
        if (index() == 0)
            breakPage();
    }

    // Moves to the next line and rules the one just written; the last line of
    // a page gets its rule from the page break.
    void endLine()
    {
        ++m_line;
        if (index() != 0)
            rule(ruleBelow(index() - 1));
    }

    void cell(const Column &column, const QString &text, int alignment)
    {
        m_doc.drawText(changeTxt(text), column.left, lineTop(index()), column.width, kLineHeight, alignment,
            cellOf(column, index()));
    }

    // The text at an arbitrary left edge of the current line (signatures).
    void cellAt(double left, double width, const QString &text, int alignment)
    {
        m_doc.drawText(changeTxt(text), left, lineTop(index()), width, kLineHeight, alignment,
            cellOf(left, left + width, index()));
    }

    // After the signature line: the vertical rules of the table down to the
    // rule under the last ruled line.
    void closeTable()
    {
        const double bottom = kTopRule + kLineHeight * index();
        verticalRules(bottom);
    }

private:
    void rule(double y) { m_doc.drawLine(kPageLeft, y, kPageRight, y); }

    void verticalRules(double bottom)
    {
        const double top = m_firstPage ? kFirstPageTableTop : kTopRule;
        if (bottom <= top + 1e-9)
            return; // nothing ruled on this page: the signature line opened it
        for (double x : kVerticalRules)
            m_doc.drawLine(x, bottom, x, top);
    }

    void breakPage()
    {
        rule(kBottomRule);
        verticalRules(kBottomRule);
        m_doc.addPage();
        m_firstPage = false;
        rule(kTopRule);
    }

    PageDocument &m_doc;
    int m_line;
    bool m_firstPage = true;
};

QString profileSpec(const QuoteMaterialRow &row)
{
    if (row.kind != QuoteMaterialRow::Kind::Profile)
        return row.spec;
    return row.thermal ? QStringLiteral("隔热材") : QStringLiteral("非隔热材");
}

void drawHeader(PageDocument &doc, const QuoteItem &item)
{
    doc.setFont(kFont, 16, true);
    doc.drawText(changeTxt(item.title), 0.6, 0.6, 7.3, kLineHeight, kCentre, {kPageLeft, 0.5, kPageRight, 0.85});
    doc.setFont(kFont, 10, false);
    doc.drawText(changeTxt(QStringLiteral("面积:") + plainNumber(item.area)), 0.6, 0.9, 7.3, kLineHeight, kLeft,
        {kPageLeft, 0.85, kPageRight, 1.1});
    doc.drawLine(kPageLeft, 1.1, kPageRight, 1.1);

    const std::pair<Column, const char *> headings[] = {
        {kSerial, "序号"},
        {kName, "名称"},
        {kSpec, "规格"},
        {kQty, "用量"},
        {kUnit, "单位"},
        {kPrice, "单价"},
        {kTotal, "总价"},
        {kRemark, "备注"},
    };
    for (const auto &[column, text] : headings)
        doc.drawText(changeTxt(QString::fromUtf8(text)), column.left, lineTop(2), column.width, kLineHeight, kCentre,
            cellOf(column, 2));
    doc.drawLine(kPageLeft, ruleBelow(2), kPageRight, ruleBelow(2));

    doc.drawText(changeTxt(QStringLiteral("一")), kSerial.left, lineTop(3), kSerial.width, kLineHeight, kCentre,
        cellOf(kSerial, 3));
    doc.drawText(
        changeTxt(QStringLiteral("直接材料费用")), kName.left, lineTop(3), 1.4, kLineHeight, kLeft, cellOf(kName, 3));
    doc.drawLine(kPageLeft, ruleBelow(3), kPageRight, ruleBelow(3));
}

} // namespace

QString changeTxt(const QString &text)
{
    // Most figures are plain ASCII: no need to ask the codec.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text;
    // A character of two GBK bytes is one extra byte over its character.
    const int wide = gbkByteLength(text) - int(text.size());
    return wide > 0 ? text + QString(wide, QLatin1Char(' ')) : text;
}

void pricePaper(PageDocument &doc, const QuoteItem &item, const QuoteOptions &options)
{
    doc.addPage();
    drawHeader(doc, item);

    PaperBody body(doc, kFirstBodyLine);
    for (const QuoteMaterialRow &row : item.materials) {
        body.beginLine();
        body.cell(kSerial, QString::number(body.counter() - 3), kCentre);
        body.cell(kName, row.name, kLeft);
        body.cell(kSpec, profileSpec(row), kLeft);
        body.cell(kQty, format3(row.qty), kLeft);
        body.cell(kUnit, row.unit, kCentre);
        body.cell(kPrice, format3(row.price), kLeft);
        body.cell(kTotal, format3(row.total), kLeft);
        if (row.kind == QuoteMaterialRow::Kind::Accessory)
            body.cell(kRemark, row.remark, kLeft);
        body.endLine();
    }

    body.beginLine();
    body.cell(kSerial, QStringLiteral("二"), kCentre);
    body.cell(kName, QStringLiteral("固定费用"), kLeft);
    body.endLine();
    for (int k = 0; k < item.fees.size(); ++k) {
        const QuoteFeeRow &fee = item.fees[k];
        body.beginLine();
        body.cell(kSerial, QString::number(k + 1), kCentre);
        body.cell(kName, fee.name, kLeft);
        body.cell(kPrice, fee.priceText(), kLeft);
        body.cell(kTotal, format3(fee.value), kLeft);
        body.endLine();
    }

    body.beginLine();
    body.cell(kSerial, QStringLiteral("单价"), kCentre);
    body.cell(kTotal, format3(item.unitPrice), kLeft);
    body.endLine();
    body.beginLine();
    body.cell(kSerial, QStringLiteral("总价"), kCentre);
    body.cell(kTotal, format3(item.totalPrice), kLeft);
    body.endLine();

    body.beginLine();
    const double signLefts[3] = {0.6, 3, 5.4};
    for (int i = 0; i < 3; ++i) {
        if (options.sign[i])
            body.cellAt(signLefts[i], 2.4, options.signText[i], kCentre);
    }
    body.closeTable();
}

int paperPageCount(const QuoteItem &item)
{
    // The body starts on line 4 of the first page: the material rows, the fee
    // heading, the fees, the two closing lines and the signature line, a new
    // page before each line whose counter is a multiple of the page's lines.
    const int bodyLines = int(item.materials.size()) + 1 + int(item.fees.size()) + 2 + 1;
    return 1 + (kFirstBodyLine + bodyLines - 1) / kLinesPerPage;
}

void layPaperQuotation(const QuoteRun &run, const std::function<void(const Page &)> &pageDone)
{
    if (run.result.items.isEmpty())
        throw Error(QStringLiteral("没有可以输出的报价数据(门窗面积为空)"));
    int total = 0;
    for (const QuoteItem &item : run.result.items)
        total += paperPageCount(item);
    const QString count = QString::number(total);
    int number = 0;
    PageDocument doc;
    for (const QuoteItem &item : run.result.items) {
        doc.pages.clear();
        pricePaper(doc, item, run.options);
        if (number + doc.pages.size() > total)
            throw Error(QStringLiteral("报价页数计算有误"));
        doc.setFont(kFont, 9, false);
        for (int k = 0; k < doc.pages.size(); ++k) {
            const QString footer = QStringLiteral("共") + count + QStringLiteral("页,第") + QString::number(++number)
                + QStringLiteral("页    ");
            doc.drawTextOn(
                k, footer, 0.6, 10.5, 7.3, kLineHeight, PageText::Right, {kPageLeft, 10.4, kPageRight, 10.7});
            pageDone(doc.pages.at(k));
        }
    }
    if (number != total)
        throw Error(QStringLiteral("报价页数计算有误"));
}

PageDocument buildPaperQuotation(const QuoteRun &run)
{
    PageDocument doc;
    layPaperQuotation(run, [&doc](const Page &page) { doc.pages.append(page); });
    return doc;
}

} // namespace tarvex
