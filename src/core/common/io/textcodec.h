#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tarvex {

// Text files that come from elsewhere (xdt files, cllb.txt, cs.ini) are GBK,
// the code page of the design tool, or UTF-8. Short GBK texts are often
// valid UTF-8 too ("幕墙" reads as "Ļǽ"), so a file counts as UTF-8 only when
// it starts with a BOM, or when it is valid UTF-8 and its characters beyond
// ASCII are those of Chinese text: CJK ideographs, CJK and general
// punctuation, full-width forms (and, beside at least one of those, the
// Latin-1 signs of specifications such as × ° ²).
enum class TextEncoding { Utf8, Gbk };

// Decides the encoding from the bytes given piece by piece; pieces must end
// at line ends (no character spans two pieces). A leading BOM is the caller's.
class EncodingGuess {
public:
    void add(QByteArrayView piece);
    // False once the answer is GBK whatever follows.
    bool open() const { return m_utf8; }
    TextEncoding encoding() const;

private:
    bool m_utf8 = true;
    bool m_chinese = false;
    bool m_latin = false;
};

TextEncoding guessEncoding(QByteArrayView bytes);

// A file that begins as UTF-8 Chinese text and goes on in another encoding
// (lines pasted from a GBK file): the offset of its first byte that is not
// UTF-8, or -1 when the file is not such a mixture. Its first part must hold
// a few Chinese characters, so that GBK text that happens to be valid UTF-8
// is not taken for it.
qsizetype mixedEncodingAt(QByteArrayView bytes);

// The same for a file read piece by piece, each piece ending at a line end
// (a leading BOM is the caller's): at() is the offset from the start of the
// first piece, -1 while none is known.
class MixedEncodingCheck {
public:
    void add(QByteArrayView piece);
    qsizetype at() const { return m_at; }

private:
    qsizetype m_offset = 0;
    int m_chinese = 0;
    bool m_decided = false;
    qsizetype m_at = -1;
};

// The name shown in messages ("GBK", "UTF-8").
QString encodingName(TextEncoding encoding);

// Offset of the first byte that is not valid text in the encoding (a NUL byte
// included), or -1 when all are. *length receives the bytes of the bad
// sequence (1 or 2).
qsizetype invalidByteAt(QByteArrayView bytes, TextEncoding encoding, qsizetype *length = nullptr);

// Decodes bytes; for GBK the same table as encodeGbk, so what the program
// writes reads back equal. Bad bytes become U+FFFD (check invalidByteAt first).
QString decodeText(QByteArrayView bytes, TextEncoding encoding);

// A whole file of either encoding (a BOM is dropped); bad bytes are replaced.
QString decodeUtf8OrGbk(const QByteArray &bytes);

// GBK bytes of a text (the code page of the design tool's files); *ok tells
// whether GBK could hold every character.
QByteArray encodeGbk(const QString &text, bool *ok = nullptr);

// Number of bytes the text takes in GBK (two for each Chinese character).
int gbkByteLength(const QString &text);

} // namespace tarvex
