#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tarvex {

// Writes rows of texts to a new one-sheet workbook, every cell as text.
// The file appears whole or not at all. Throws Error with the reason.
void writeXlsxTable(const QString &path, const QList<QStringList> &rows);

} // namespace tarvex
