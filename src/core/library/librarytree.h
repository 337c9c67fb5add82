#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

namespace tarvex {

// One series node of the library tree with its template nodes.
struct LibrarySeries {
    QString name; // mc
    QStringList templates; // distinct xl, in order of first occurrence
};

// The tree: one node per distinct series and one per distinct (series, name)
// pair, in the order of the records' first occurrence. Pairs are told apart
// by both texts, so series "A" with "BC" and series "AB" with "C" both count.
using LibraryTree = QVector<LibrarySeries>;

struct LibraryTreeRow {
    QString series;
    QString name;
};

LibraryTree buildLibraryTree(const QVector<LibraryTreeRow> &rows);

// The tree of the library's records (ordered by ID).
LibraryTree readLibraryTree(QSqlDatabase db);

} // namespace tarvex
