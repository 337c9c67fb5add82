#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace tarvex {

// Writes rows of texts to a new one-sheet workbook, every cell as text.
// The file appears whole or not at all. Throws Error with the reason.
void writeXlsxTable(const QString &path, const QList<QStringList> &rows);

// The same with typed cells: numbers as numbers, anything else as text,
// Null cells left empty.
void writeXlsxValues(const QString &path, const QList<QVariantList> &rows);

} // namespace tarvex
