#include "core/offer/offerpaper.h"

#include "core/common/error.h"
#include "core/common/numbers.h"
#include "core/document/pagepdf.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <functional>

namespace tarvex {

namespace {

const QString kFont = QStringLiteral("宋体");

// A4 in inches.
constexpr double kPageWidth = 8.27;
constexpr double kPageHeight = 11.69;
constexpr double kLeft = 0.7;
constexpr double kRight = 7.57;
constexpr double kWidth = kRight - kLeft;
constexpr double kBodyBottom = 10.85; // nothing but the footer below
constexpr double kFooterTop = 11.0;
constexpr double kRowHeight = 0.28;
constexpr double kFieldHeight = 0.26;
constexpr double kTermHeight = 0.24;
constexpr double kLogoWidth = 1.3;
constexpr double kLogoHeight = 0.7;
constexpr double kLogoDotsPerInch = 300;

constexpr int kLeftAlign = PageText::Left;
constexpr int kCentre = PageText::Centre;
constexpr int kRightAlign = PageText::Right;

struct Column {
    QString heading;
    double width;
    int alignment;
};

enum class Field { Serial, Window, Series, Count, Area, UnitPrice, Amount };

QString areaText(double area)
{
    return QString::number(Round(area, 2), 'f', 2);
}

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

// The table's columns: per window number with its own 窗号 column.
QVector<std::pair<Field, Column>> tableColumns(OfferScope scope)
{
    QVector<std::pair<Field, Column>> columns {{Field::Serial, {QStringLiteral("序号"), 0.5, kCentre}}};
    if (scope == OfferScope::Window) {
        columns.append({Field::Window, {QStringLiteral("窗号"), 1.05, kLeftAlign}});
        columns.append({Field::Series, {QStringLiteral("门窗系列"), 1.55, kLeftAlign}});
    } else {
        columns.append({Field::Series, {QStringLiteral("门窗系列"), 2.6, kLeftAlign}});
    }
    columns.append({Field::Count, {QStringLiteral("樘数"), 0.55, kRightAlign}});
    columns.append({Field::Area, {QStringLiteral("面积(m²)"), 0.95, kRightAlign}});
    columns.append({Field::UnitPrice, {QStringLiteral("单价(元/m²)"), 1.05, kRightAlign}});
    columns.append({Field::Amount, {QStringLiteral("金额(元)"), 1.22, kRightAlign}});
    return columns;
}

// Lays the offer out page by page, a cursor running down the body.
class OfferLayout {
public:
    OfferLayout(const Offer &offer, const OfferLetterhead &letterhead)
        : m_offer(offer)
        , m_head(letterhead)
        , m_columns(tableColumns(offer.scope))
    {
        m_doc.pageWidth = kPageWidth;
        m_doc.pageHeight = kPageHeight;
    }

    PageDocument take()
    {
        firstPage();
        tableHeading();
        int serial = 0;
        const QVector<OfferSubtotal> subtotals = offerSubtotals(m_offer);
        int next = 0;
        for (const OfferSubtotal &subtotal : subtotals) {
            for (; next < m_offer.lines.size() && m_offer.lines.at(next).series == subtotal.series; ++next)
                lineRow(++serial, m_offer.lines.at(next));
            if (m_offer.scope == OfferScope::Window)
                subtotalRow(subtotal);
        }
        totals();
        termsAndSignatures();
        footers();
        return std::move(m_doc);
    }

private:
    // Text in a box between rules: its middle on the box's middle.
    void text(const QString &value, double left, double top, double width, double height, int alignment,
        double size = 10, bool bold = false)
    {
        m_doc.setFont(kFont, size, bold);
        // The renderer puts a line's middle 0.48 em under the top it is given.
        const double em = size / 72.0;
        const double textTop = top + height / 2 - 0.48 * em;
        m_doc.drawText(
            value, left + 0.04, textTop, width - 0.08, height, alignment, {left, top, left + width, top + height});
    }

    void rule(double y) { m_doc.drawLine(kLeft, y, kRight, y); }

    void newPage()
    {
        m_doc.addPage();
        m_y = 0.5;
    }

    bool fits(double height) const { return m_y + height <= kBodyBottom + 1e-9; }

    // A table row needs its room; a new page repeats the headings.
    void roomForRow()
    {
        if (fits(kRowHeight))
            return;
        newPage();
        text(QStringLiteral("报价编号: ") + m_offer.number + QStringLiteral("    客户: ") + m_offer.customer
                + QStringLiteral("(续)"),
            kLeft, m_y, kWidth, kFieldHeight, kLeftAlign, 9);
        m_y += kFieldHeight + 0.08;
        tableHeading();
    }

    void firstPage()
    {
        newPage();
        const FirmHeader &firm = m_head.firm;
        if (!m_head.logo.isNull()) {
            const QSizeF size = QSizeF(m_head.logo.size()).scaled(kLogoWidth, kLogoHeight, Qt::KeepAspectRatio);
            m_doc.drawImage(m_head.logo, kLeft, 0.45, size.width(), size.height());
        }
        const double nameLeft = m_head.logo.isNull() ? kLeft : kLeft + kLogoWidth + 0.1;
        const double nameWidth = kRight - nameLeft - (m_head.logo.isNull() ? 0 : kLogoWidth + 0.1);
        text(firm.name, nameLeft, m_y, nameWidth, 0.4, kCentre, 16, true);
        m_y += 0.4;
        QStringList contact;
        if (!firm.address.isEmpty())
            contact.append(QStringLiteral("地址: ") + firm.address);
        if (!firm.phone.isEmpty())
            contact.append(QStringLiteral("电话: ") + firm.phone);
        text(contact.join(QStringLiteral("    ")), nameLeft, m_y, nameWidth, kFieldHeight, kCentre, 9);
        m_y = std::max(m_y + kFieldHeight, 0.45 + kLogoHeight) + 0.05;
        rule(m_y);
        m_y += 0.1;
        text(m_offer.revision > 0 ? QStringLiteral("报 价 单(修订)") : QStringLiteral("报 价 单"), kLeft, m_y, kWidth,
            0.45, kCentre, 18, true);
        m_y += 0.55;

        const double half = kWidth * 0.6;
        const std::pair<QString, QString> fields[] = {
            {QStringLiteral("客户: ") + m_offer.customer, QStringLiteral("报价编号: ") + m_offer.number},
            {QStringLiteral("项目: ") + m_offer.project, QStringLiteral("报价日期: ") + dateText(m_offer.date)},
            {QStringLiteral("面积依据: ") + areaBasisCaption(m_offer.areaBasis),
                QStringLiteral("有效期: %1天(至%2)")
                    .arg(m_offer.validityDays)
                    .arg(dateText(m_offer.date.addDays(m_offer.validityDays)))},
        };
        for (const auto &[left, right] : fields) {
            text(left, kLeft, m_y, half, kFieldHeight, kLeftAlign);
            text(right, kLeft + half, m_y, kWidth - half, kFieldHeight, kLeftAlign);
            m_y += kFieldHeight;
        }
        if (m_offer.revision > 0) {
            QString note = QStringLiteral("本报价为 %1 的第%2次修订").arg(m_offer.revisionOf).arg(m_offer.revision);
            if (m_offer.previousTotal)
                note += QStringLiteral(", 被替代报价的总计 ") + formatYuan(*m_offer.previousTotal)
                    + QStringLiteral("元");
            text(note, kLeft, m_y, kWidth, kFieldHeight, kLeftAlign);
            m_y += kFieldHeight;
        }
        m_y += 0.1;
    }

    // Vertical rules of a row at the given x positions.
    void verticals(const QVector<double> &xs, double top, double bottom)
    {
        for (double x : xs)
            m_doc.drawLine(x, top, x, bottom);
    }

    QVector<double> columnEdges() const
    {
        QVector<double> xs {kLeft};
        double x = kLeft;
        for (const auto &column : m_columns) {
            x += column.second.width;
            xs.append(x);
        }
        xs.last() = kRight;
        return xs;
    }

    double amountLeft() const { return kRight - m_columns.constLast().second.width; }

    void tableHeading()
    {
        rule(m_y);
        double x = kLeft;
        for (const auto &[field, column] : m_columns) {
            text(column.heading, x, m_y, column.width, kRowHeight, kCentre, 10, true);
            x += column.width;
        }
        verticals(columnEdges(), m_y, m_y + kRowHeight);
        m_y += kRowHeight;
        rule(m_y);
    }

    void row(const std::function<QString(Field)> &cell, bool bold)
    {
        roomForRow();
        double x = kLeft;
        for (const auto &[field, column] : m_columns) {
            text(cell(field), x, m_y, column.width, kRowHeight, column.alignment, 10, bold);
            x += column.width;
        }
        verticals(columnEdges(), m_y, m_y + kRowHeight);
        m_y += kRowHeight;
        rule(m_y);
    }

    void lineRow(int serial, const OfferLine &line)
    {
        row(
            [&](Field field) {
                switch (field) {
                case Field::Serial:
                    return QString::number(serial);
                case Field::Window:
                    return line.window;
                case Field::Series:
                    return line.series;
                case Field::Count:
                    return QString::number(line.count);
                case Field::Area:
                    return areaText(line.area);
                case Field::UnitPrice:
                    return format3(line.unitPrice);
                case Field::Amount:
                    return formatYuan(line.amount);
                }
                return QString();
            },
            false);
    }

    void subtotalRow(const OfferSubtotal &subtotal)
    {
        row(
            [&](Field field) {
                switch (field) {
                case Field::Window:
                    return QStringLiteral("小计");
                case Field::Series:
                    return subtotal.series;
                case Field::Count:
                    return QString::number(subtotal.count);
                case Field::Area:
                    return areaText(subtotal.area);
                case Field::Amount:
                    return formatYuan(subtotal.amount);
                default:
                    return QString();
                }
            },
            true);
    }

    // A row of the totals: its caption across the table, the amount in the
    // amount column.
    void totalRow(const QString &caption, const QString &amount, bool bold)
    {
        roomForRow();
        const double split = amountLeft();
        text(caption, kLeft, m_y, split - kLeft, kRowHeight, kRightAlign, 10, bold);
        text(amount, split, m_y, kRight - split, kRowHeight, kRightAlign, 10, bold);
        verticals({kLeft, split, kRight}, m_y, m_y + kRowHeight);
        m_y += kRowHeight;
        rule(m_y);
    }

    void totals()
    {
        const OfferTotals &t = m_offer.totals;
        totalRow(QStringLiteral("合计"), formatYuan(t.subtotal), true);
        if (m_offer.discount.kind != OfferDiscount::Kind::None)
            totalRow(discountCaption(m_offer.discount), formatYuan(-t.discount), false);
        if (m_offer.taxPercent)
            totalRow(taxCaption(*m_offer.taxPercent), formatYuan(t.tax), false);
        totalRow(QStringLiteral("总计"), formatYuan(t.total), true);
        roomForRow();
        text(QStringLiteral("总计(大写): ") + amountInWords(t.total), kLeft, m_y, kWidth, kRowHeight, kLeftAlign, 10,
            true);
        verticals({kLeft, kRight}, m_y, m_y + kRowHeight);
        m_y += kRowHeight;
        rule(m_y);
    }

    // Terms and signatures stay together, on a page of their own when the
    // table leaves too little room.
    void termsAndSignatures()
    {
        const double height
            = 0.15 + (m_head.terms.isEmpty() ? 0 : kTermHeight * (1 + m_head.terms.size())) + 0.2 + 2 * kFieldHeight;
        if (!fits(height))
            newPage();
        m_y += 0.15;
        if (!m_head.terms.isEmpty()) {
            text(QStringLiteral("说明:"), kLeft, m_y, kWidth, kTermHeight, kLeftAlign, 9, true);
            m_y += kTermHeight;
            for (const QString &term : m_head.terms) {
                text(term, kLeft, m_y, kWidth, kTermHeight, kLeftAlign, 9);
                m_y += kTermHeight;
            }
        }
        m_y += 0.2;
        const double half = kWidth / 2;
        text(QStringLiteral("报价单位(盖章): ") + m_head.firm.name, kLeft, m_y, half, kFieldHeight, kLeftAlign);
        text(QStringLiteral("客户确认(签字):"), kLeft + half, m_y, half, kFieldHeight, kLeftAlign);
        m_y += kFieldHeight;
        text(QStringLiteral("日期: ") + dateText(m_offer.date), kLeft, m_y, half, kFieldHeight, kLeftAlign);
        text(QStringLiteral("日期:"), kLeft + half, m_y, half, kFieldHeight, kLeftAlign);
        m_y += kFieldHeight;
    }

    void footers()
    {
        const int count = int(m_doc.pages.size());
        m_doc.setFont(kFont, 9, false);
        for (int k = 0; k < count; ++k) {
            const QString footer = QStringLiteral("报价编号 ") + m_offer.number + QStringLiteral("    共")
                + QString::number(count) + QStringLiteral("页,第") + QString::number(k + 1) + QStringLiteral("页");
            m_doc.drawTextOn(k, footer, kLeft, kFooterTop, kWidth, 0.25, kRightAlign,
                {kLeft, kFooterTop - 0.05, kRight, kFooterTop + 0.3});
        }
    }

    const Offer &m_offer;
    const OfferLetterhead &m_head;
    const QVector<std::pair<Field, Column>> m_columns;
    PageDocument m_doc;
    double m_y = 0;
};

} // namespace

OfferLetterhead offerLetterhead(const OfferSettings &settings)
{
    OfferLetterhead head;
    head.firm = settings.firm;
    head.terms = termLines(settings.terms);
    const QString path = logoPath(settings.firm);
    if (path.isEmpty())
        return head;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage logo = reader.read();
    if (logo.isNull()) {
        throw Error(QStringLiteral("无法读取报价单的标志图片 %1: %2")
                        .arg(QDir::toNativeSeparators(path), reader.errorString()));
    }
    // Enough pixels for print; a camera picture would swell every PDF.
    const QSize most(int(kLogoWidth * kLogoDotsPerInch), int(kLogoHeight * kLogoDotsPerInch));
    if (logo.width() > most.width() || logo.height() > most.height())
        logo = logo.scaled(most, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    head.logo = logo;
    return head;
}

PageDocument offerPages(const Offer &offer, const OfferLetterhead &letterhead)
{
    return OfferLayout(offer, letterhead).take();
}

QString offerTitle(const Offer &offer)
{
    return QStringLiteral("报价单 ") + offer.number;
}

QByteArray offerPdf(const Offer &offer, const OfferLetterhead &letterhead)
{
    return offerPdf(offerPages(offer, letterhead), offer);
}

QByteArray offerPdf(const PageDocument &pages, const Offer &offer)
{
    // The writer takes a file; the register keeps the bytes.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw Error(QStringLiteral("无法生成PDF文件: 无法建立临时文件夹 ") + scratch.errorString());
    const QString path = scratch.filePath(QStringLiteral("offer.pdf"));
    writePagesPdf(pages, path, offerTitle(offer));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法读取PDF文件 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
            + file.errorString());
    return file.readAll();
}

} // namespace tarvex
