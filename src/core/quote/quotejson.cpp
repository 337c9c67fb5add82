#include "core/quote/quotejson.h"

#include "core/common/numbers.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <string>

namespace tarvex {

namespace {

// The text of one item is built in a std::string: its appends are a copy,
// QByteArray's a general insertion each.
using Text = std::string;

// A text as QJsonDocument writes it: its UTF-8 bytes in quotes; a text with
// a control character, a quote, a backslash or a surrogate goes through
// QJsonDocument for its escapes.
void appendString(Text &out, const QString &text)
{
    const size_t start = out.size();
    out += '"';
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == u'"' || u == u'\\' || c.isSurrogate()) {
            out.resize(start);
            const QByteArray array = QJsonDocument(QJsonArray {text}).toJson(QJsonDocument::Compact);
            out.append(array.constData() + 1, size_t(array.size() - 2));
            return;
        }
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    out += '"';
}

class ObjectWriter {
public:
    explicit ObjectWriter(Text &out)
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
    void number(const char *key, int value)
    {
        keyOnly(key);
        m_out += std::to_string(value);
    }
    // A figure of three decimals, as a text.
    void figure(const char *key, double value)
    {
        keyOnly(key);
        char digits[kFormat3Chars + 2];
        digits[0] = '"';
        char *end = format3Chars(digits + 1, value);
        *end++ = '"';
        m_out.append(digits, size_t(end - digits));
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
    Text &m_out;
    bool m_first = true;
};

void writeMaterial(Text &out, const QuoteMaterialRow &row)
{
    ObjectWriter o(out);
    o.number("serial", row.serial);
    o.text("kind", kindName(row.kind));
    o.text("name", row.name);
    o.text("spec", row.spec);
    o.figure("qty", row.qty);
    o.text("unit", row.unit);
    o.figure("price", row.price);
    o.figure("total", row.total);
    o.text("remark", row.remark);
}

void writeFee(Text &out, const QuoteFeeRow &row)
{
    ObjectWriter o(out);
    o.number("serial", row.serial);
    o.text("name", row.name);
    o.text("price", row.priceText());
    o.figure("value", row.value);
}

void writeItem(Text &out, const QuoteItem &item)
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
    o.figure("material_total", item.materialTotal);
    o.figure("fee_total", item.feeTotal);
    o.figure("unit_price", item.unitPrice);
    o.figure("total_price", item.totalPrice);
}

QByteArray bytesOf(const Text &text)
{
    return QByteArray::fromRawData(text.data(), qsizetype(text.size()));
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
    Text out;
    {
        ObjectWriter o(out);
        o.text("scope", scopeName(scope));
        o.text("area_basis", areaBasisName(basis));
        o.keyOnly("items");
    }
    out.pop_back(); // the object stays open for its items
    out += '[';
    m_write(bytesOf(out));
}

void QuoteJsonWriter::item(const QuoteItem &item)
{
    m_text.clear();
    m_text += m_items++ ? ",\n  " : "\n  ";
    writeItem(m_text, item);
    m_write(bytesOf(m_text));
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
