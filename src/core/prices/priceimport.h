#pragma once

#include "core/common/io/xlsxreader.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tarvex {

struct PriceTable;

// Merge updates the records whose natural key the file lists and adds the
// others; replace empties the table and loads the file.
enum class ImportMode { Merge, Replace };

struct ImportProblem {
    int line = 0; // line of the file (row of the sheet), from 1
    QString reason;
};

// One row of a price list file, before it is checked: the cells that hold
// anything (column from 0, text, whether a workbook showed it as a date).
struct ImportRow {
    int line = 0;
    QList<SheetCell> cells;
    QString unreadable; // why the row could not be read; empty when it could
};

// The longest text a cell of a price list may hold: far more than any name,
// specification or remark needs.
constexpr int kMaxImportedText = 1000;

// A price list file as read: its path (for messages) and its rows.
struct PriceListFile {
    QString path;
    QList<ImportRow> rows;
};

// What an import would do, or did.
struct PriceImportPlan {
    ImportMode mode = ImportMode::Merge;
    int added = 0;
    int changed = 0;
    int unchanged = 0;
    int removed = 0; // replace: stored records the file does not list
    QList<ImportProblem> invalid; // in line order, one per invalid row
    QStringList ignoredColumns; // headers that name no column of the table

    // "新增 A 修改 B 未变 C 无效 D"
    QString counts() const;
    // "第N行: reason"
    static QString describe(const ImportProblem &problem);
    bool sameCounts(const PriceImportPlan &other) const;
};

// Reads a price list: .csv (UTF-8 with or without BOM, GBK, or UTF-16 with
// BOM; comma, semicolon or tab, told apart by the header) or .xlsx (the
// first sheet). The first row holding anything (the header) is kept whole;
// of the other rows only the cells under a header that names a column of
// the table, and the first cell right of the header, so that memory follows
// what the import needs, not the file's extent. Throws Error naming the file
// when it cannot be read at all.
PriceListFile readPriceListFile(const QString &path, const PriceTable &table);

// What importing the rows would do; writes nothing. The first row holding
// anything is the header: columns are matched by name in any order. Throws
// Error for a header without the key columns.
PriceImportPlan previewPriceImport(const PriceTable &table, const PriceListFile &file, ImportMode mode);

// Imports in one transaction and returns what was done. Nothing is written
// when a row is invalid, or when the counts differ from a preview the user
// saw (the table changed meanwhile): Error says which.
PriceImportPlan importPriceList(
    const PriceTable &table, const PriceListFile &file, ImportMode mode, const PriceImportPlan *previewed = nullptr);

} // namespace tarvex
