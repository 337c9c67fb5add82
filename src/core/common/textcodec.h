#pragma once

#include <QByteArray>
#include <QString>

namespace tarvex {

// Text of a file that may be UTF-8 or GBK: UTF-8 when the bytes are valid
// UTF-8 (a BOM is dropped), GB18030 otherwise.
QString decodeUtf8OrGbk(const QByteArray &bytes);

// GBK bytes of a text (the code page of the design tool's files); *ok tells
// whether GBK could hold every character.
QByteArray encodeGbk(const QString &text, bool *ok = nullptr);

// Number of bytes the text takes in GBK (two for each Chinese character).
int gbkByteLength(const QString &text);

} // namespace tarvex
