#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace tarvex {

// What copying one table does to its target, compared by the table's key
// (编号, the fee's name, the code, the template's ID; the pick lists by
// their entries).
struct TableCopyCount {
    QString table;
    int added = 0;
    int changed = 0;
    int unchanged = 0;
    int removed = 0; // rows of the target the source does not have
    QStringList invalid; // rows the target cannot take, with the reason

    // "新增 A 修改 B 未变 C 无效 D 删除 E"
    QString counts() const;
};

struct CopyReport {
    QList<TableCopyCount> tables;
    bool written = false;

    int invalidRows() const;
    // One line per table: "lcName: 新增 A 修改 B 未变 C 无效 D 删除 E", then
    // each invalid row.
    QStringList lines() const;
};

// The tables a workstation and the server share: of the working data the
// four price tables, the stock lengths, the remnant stock with the plans
// confirmed, and the offers register; and the drawing library's tables.
QStringList sharedPriceTables();
QStringList sharedLibraryTables();

// Makes each of the tables of target equal to the same table of source: a
// copy of every row, numbers and spelling kept, rows the source lacks gone.
// The offers register is a record, not a copy: its offers and lines are
// only added, those the target has stay as they are, and an offer on both
// sides that differs is refused; its number counters are only raised.
// The counts are worked out first; with dryRun nothing is written, nor when
// a row is one the target cannot take (a text in a number column, a key
// given twice or missing, an offer recorded otherwise). The tables are
// written in one transaction of the target, each held against other writers
// meanwhile. A server target needs the right to change them. Throws Error.
CopyReport copySharedTables(QSqlDatabase source, QSqlDatabase target, const QStringList &tables, bool dryRun);

} // namespace tarvex
