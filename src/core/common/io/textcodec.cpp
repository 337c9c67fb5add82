#include "core/common/io/textcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tarvex {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

bool isChineseTextChar(char32_t c)
{
    return (c >= 0x2000 && c <= 0x206F) // general punctuation: “” — …
        || (c >= 0x2100 && c <= 0x218F) // letterlike and number forms: ℃ № Ⅱ
        || (c >= 0x2460 && c <= 0x24FF) // ① ②
        || (c >= 0x25A0 && c <= 0x25FF) // ■ △ ○
        || (c >= 0x3000 && c <= 0x303F) // CJK punctuation
        || (c >= 0x3200 && c <= 0x33FF) // enclosed CJK and CJK units: ㎡
        || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0xFE30 && c <= 0xFE4F) // CJK compatibility forms
        || (c >= 0xFF00 && c <= 0xFFEF) // full-width forms
        || (c >= 0x20000 && c <= 0x3134F);
}

// Length of the valid UTF-8 sequence at p (0 when it is not one) and its code point.
int utf8Sequence(const uchar *p, const uchar *end, char32_t *code)
{
    const uchar b = p[0];
    int length;
    char32_t c;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    if (overlong || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return 0;
    *code = c;
    return length;
}

bool isGbkLead(uchar b)
{
    return b >= 0x81 && b <= 0xFE;
}

bool isGbkTrail(uchar b)
{
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

} // namespace

void EncodingGuess::add(QByteArrayView piece)
{
    const auto *p = reinterpret_cast<const uchar *>(piece.data());
    const uchar *end = p + piece.size();
    while (m_utf8 && p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        char32_t c = 0;
        const int length = utf8Sequence(p, end, &c);
        if (length == 0) {
            m_utf8 = false;
        } else if (isChineseTextChar(c)) {
            m_chinese = true;
        } else if (c >= 0xA0 && c <= 0xFF) {
            m_latin = true;
        } else {
            m_utf8 = false;
        }
        p += length;
    }
}

TextEncoding EncodingGuess::encoding() const
{
    if (!m_utf8 || (m_latin && !m_chinese))
        return TextEncoding::Gbk;
    return TextEncoding::Utf8;
}

TextEncoding guessEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith(QByteArrayView(kBom)))
        return TextEncoding::Utf8;
    EncodingGuess guess;
    guess.add(bytes);
    return guess.encoding();
}

qsizetype mixedEncodingAt(QByteArrayView bytes)
{
    if (bytes.startsWith(QByteArrayView(kBom)))
        bytes = bytes.sliced(3);
    MixedEncodingCheck check;
    check.add(bytes);
    return check.at();
}

void MixedEncodingCheck::add(QByteArrayView piece)
{
    if (m_decided)
        return;
    constexpr int kChineseBefore = 4;
    const qsizetype bad = invalidByteAt(piece, TextEncoding::Utf8);
    const auto *p = reinterpret_cast<const uchar *>(piece.data());
    const uchar *end = p + (bad < 0 ? piece.size() : bad);
    while (p < end && m_chinese < kChineseBefore) {
        char32_t c = 0;
        const int length = *p < 0x80 ? 1 : utf8Sequence(p, end, &c);
        if (length > 1 && isChineseTextChar(c))
            ++m_chinese;
        p += length;
    }
    if (bad >= 0) {
        m_decided = true;
        if (m_offset + bad > 0 && piece[bad] != '\0' && m_chinese >= kChineseBefore)
            m_at = m_offset + bad;
    }
    m_offset += piece.size();
}

QString encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("GBK");
}

qsizetype invalidByteAt(QByteArrayView bytes, TextEncoding encoding, qsizetype *length)
{
    const auto *begin = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *end = begin + bytes.size();
    for (const uchar *p = begin; p < end;) {
        const uchar b = *p;
        int n = 0;
        if (b == 0) {
            n = 0;
        } else if (b < 0x80) {
            n = 1;
        } else if (encoding == TextEncoding::Utf8) {
            char32_t c;
            n = utf8Sequence(p, end, &c);
        } else if (b == 0x80) {
            n = 1; // the euro sign of code page 936
        } else if (isGbkLead(b)) {
            n = end - p >= 2 && isGbkTrail(p[1]) ? 2 : 0;
        }
        if (n == 0) {
            if (length)
                *length = encoding == TextEncoding::Gbk && isGbkLead(b) && end - p >= 2 ? 2 : 1;
            return p - begin;
        }
        p += n;
    }
    return -1;
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return QString::fromUtf8(bytes);
    // Debian's Qt takes GBK from ICU, through the name only.
    QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
    return gbk.decode(bytes);
}

QString decodeUtf8OrGbk(const QByteArray &bytes)
{
    const TextEncoding encoding = guessEncoding(bytes);
    QByteArrayView data(bytes);
    if (data.startsWith(QByteArrayView(kBom)))
        data = data.sliced(3);
    return decodeText(data, encoding);
}

QByteArray encodeGbk(const QString &text, bool *ok)
{
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk.encode(text);
    if (ok)
        *ok = !gbk.hasError();
    return bytes;
}

int gbkByteLength(const QString &text)
{
    return encodeGbk(text).size();
}

} // namespace tarvex
