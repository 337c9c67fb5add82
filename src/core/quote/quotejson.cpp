#include "core/quote/quotejson.h"

#include "core/common/numbers.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tarvex {

namespace {

// Texts QJsonDocument writes as their UTF-8 bytes: no control character,
// quote, backslash or surrogate.
bool needsNoEscape(const QString &text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == u'"' || u == u'\\' || c.isSurrogate())
            return false;
    }
    return true;
}

// QJsonObject sorts its keys; the quotation keeps the order people read it
// in, so objects are written by hand and only the escaping is borrowed.
void appendString(QByteArray &out, const QString &text)
{
    if (!needsNoEscape(text)) {
        const QByteArray array = QJsonDocument(QJsonArray {text}).toJson(QJsonDocument::Compact);
        out.append(array.constData() + 1, array.size() - 2);
        return;
    }
    out += '"';
    out += text.toUtf8();
    out += '"';
}

class ObjectWriter {
public:
    explicit ObjectWriter(QByteArray &out)
        : m_out(out)
    {
        m_out += '{';
    }
    ~ObjectWriter() { m_out += '}'; }

    void text(const char *key, const QString &value)
    {
        keyOnly(key);
        appendString(m_out, value);
    }
    void number(const char *key, int value) { raw(key, QByteArray::number(value)); }
    void raw(const char *key, const QByteArray &json)
    {
        keyOnly(key);
        m_out += json;
    }
    void keyOnly(const char *key)
    {
        if (!m_first)
            m_out += ", ";
        m_first = false;
        m_out += '"';
        m_out += key;
        m_out += "\": ";
    }

private:
    QByteArray &m_out;
    bool m_first = true;
};

void writeMaterial(QByteArray &out, const QuoteMaterialRow &row)
{
    ObjectWriter o(out);
    o.number("serial", row.serial);
    o.text("kind", kindName(row.kind));
    o.text("name", row.name);
    o.text("spec", row.spec);
    o.text("qty", format3(row.qty));
    o.text("unit", row.unit);
    o.text("price", format3(row.price));
    o.text("total", format3(row.total));
    o.text("remark", row.remark);
}

void writeFee(QByteArray &out, const QuoteFeeRow &row)
{
    ObjectWriter o(out);
    o.number("serial", row.serial);
    o.text("name", row.name);
    o.text("price", row.priceText());
    o.text("value", format3(row.value));
}

void writeItem(QByteArray &out, const QuoteItem &item)
{
    ObjectWriter o(out);
    o.text("name", item.name);
    o.text("sheet", item.sheet);
    o.text("title", item.title);
    o.text("area", plainNumber(item.area));
    o.keyOnly("materials");
    out += '[';
    for (int i = 0; i < item.materials.size(); ++i) {
        out += i ? ",\n      " : "\n      ";
        writeMaterial(out, item.materials[i]);
    }
    out += item.materials.isEmpty() ? "]" : "\n    ]";
    o.keyOnly("fees");
    out += '[';
    for (int i = 0; i < item.fees.size(); ++i) {
        out += i ? ",\n      " : "\n      ";
        writeFee(out, item.fees[i]);
    }
    out += item.fees.isEmpty() ? "]" : "\n    ]";
    o.text("material_total", format3(item.materialTotal));
    o.text("fee_total", format3(item.feeTotal));
    o.text("unit_price", format3(item.unitPrice));
    o.text("total_price", format3(item.totalPrice));
}

} // namespace

QString kindName(QuoteMaterialRow::Kind kind)
{
    switch (kind) {
    case QuoteMaterialRow::Kind::Profile:
        return QStringLiteral("profile");
    case QuoteMaterialRow::Kind::Glass:
        return QStringLiteral("glass");
    case QuoteMaterialRow::Kind::Accessory:
        return QStringLiteral("accessory");
    }
    return QString();
}

QString scopeName(QuoteOptions::Scope scope)
{
    switch (scope) {
    case QuoteOptions::Scope::Series:
        return QStringLiteral("series");
    case QuoteOptions::Scope::Window:
        return QStringLiteral("window");
    case QuoteOptions::Scope::Whole:
        break;
    }
    return QStringLiteral("whole");
}

QString areaBasisName(QuoteOptions::AreaBasis basis)
{
    return basis == QuoteOptions::AreaBasis::Opening ? QStringLiteral("opening") : QStringLiteral("frame");
}

QuoteJsonWriter::QuoteJsonWriter(std::function<void(const QByteArray &)> write)
    : m_write(std::move(write))
{
}

void QuoteJsonWriter::begin(QuoteOptions::Scope scope, QuoteOptions::AreaBasis basis)
{
    QByteArray out;
    {
        ObjectWriter o(out);
        o.text("scope", scopeName(scope));
        o.text("area_basis", areaBasisName(basis));
        o.keyOnly("items");
    }
    out.chop(1); // the object stays open for its items
    out += '[';
    m_write(out);
}

void QuoteJsonWriter::item(const QuoteItem &item)
{
    QByteArray out = m_items++ ? ",\n  " : "\n  ";
    writeItem(out, item);
    m_write(out);
}

void QuoteJsonWriter::end()
{
    m_write(m_items ? "\n]}\n" : "]}\n");
}

QByteArray quoteResultJson(const QuoteResult &result)
{
    QByteArray out;
    QuoteJsonWriter writer([&out](const QByteArray &piece) { out += piece; });
    writer.begin(result.scope, result.areaBasis);
    for (const QuoteItem &item : result.items)
        writer.item(item);
    writer.end();
    return out;
}

} // namespace tarvex
