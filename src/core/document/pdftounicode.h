#pragma once

#include <QByteArray>
#include <QIODevice>

#include <functional>

namespace tarvex {

// Qt's PDF writer tells text extraction which character each embedded glyph
// stands for, naming a glyph by the lowest code point the font maps to it.
// The CJK fonts give the Kangxi radicals and the radical supplement the same
// glyphs as the ideographs, so 面 comes out of the PDF as ⾯ and 门 as ⻔, and
// searching or copying the text fails.
//
// This device sits between the PDF writer and the file and passes everything
// on, except that in each ToUnicode map it names a glyph by the character the
// document really drew with it (namer: code point in, the drawn character
// out). Every code keeps its four hex digits, so no length or offset that the
// writer recorded changes.
class PdfToUnicodeFilter : public QIODevice {
public:
    using Namer = std::function<char16_t(char16_t)>;

    PdfToUnicodeFilter(QIODevice *target, Namer namer);

    // Passes on what is still held, then closes this device (not the target).
    void close() override;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override;

private:
    bool pass(const QByteArray &bytes);
    void repairMap(QByteArray &map) const;

    QIODevice *m_target;
    Namer m_namer;
    QByteArray m_held; // a map being collected, or bytes that may start one
    bool m_inMap = false;
};

} // namespace tarvex
