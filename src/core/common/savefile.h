#pragma once

#include <QByteArray>
#include <QString>

namespace tarvex {

// The failure text of a file that could not be written.
QString cannotWriteText(const QString &path, const QString &reason);

// Writes the bytes through a temporary file renamed over path: the file is
// whole or left as it was. Throws Error with cannotWriteText.
void saveFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace tarvex
