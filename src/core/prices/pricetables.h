#pragma once

#include "core/common/db/sqlgridmodel.h"
#include "core/common/materialkind.h"

#include <QString>

#include <functional>

namespace tarvex {

// The four price tables, with the values the entry dialogs were always
// told (1 lcName .. 4 FyTable).
enum class PriceTableId : short { Profile = 1, Accessory = 2, Glass = 3, Fee = 4 };

// One of the four price tables the browser shows, with its fixed settings.
struct PriceTable {
    PriceTableId id;
    QString name; // "lcName", "pjName", "blName" or "FyTable"
    QString clearName; // the name the clear question uses: '主材线重表' …
    QString loadOrder; // " ORDER BY 系列,名称" …
    QString keyField; // column 0: 编号, or 费用名称 for fees
    bool textKey; // the key is a text (fees) rather than a number

    // "是否确定清除'主材线重表'中所有记录?"
    QString clearQuestion() const;
    // The load order, Null first, records of equal values in the order
    // they were entered: the same on every engine and from page to page.
    QString orderClause() const;
    // The order records were entered in (" ORDER BY 编号", the fees' rowid).
    QString entryOrder() const;
    // The whole table in its load order.
    GridSource fullLoadSource() const;
    // The table narrowed by a filter's SQL tail, in the order the table
    // keeps its rows.
    GridSource filteredSource(const QString &filterSql, const QVariantList &values) const;
};

// The settings of a price table by its name; nullptr for any other name.
const PriceTable *findPriceTable(const QString &name);

// The settings of one of the four tables.
const PriceTable &priceTable(PriceTableId id);

// The table that prices a kind of material (lcName for profiles, pjName for
// accessories, blName for glass); throws Error for windows.
PriceTableId priceTableOf(MaterialKind kind);

// Deletes the record whose key (column 0 of a grid row) is key. Throws Error
// with a plain reason when the key is empty or not a number where a number
// is needed, when no such record exists (on a server: "该记录已被其他用户删除"),
// when the user may not change prices, or when the database fails.
void deletePriceRecord(const PriceTable &table, const QString &key);

// Deletes every record of the table, after keeping them in a dated file
// beside the working database (a server's: in the data folder) ("lcName-备份-….csv", which 导入数据 with
// replace brings back). Returns the file's path, or empty text when the table
// had no record. When the file cannot be written nothing is deleted. Throws
// Error.
QString clearPriceTable(const PriceTable &table);

// Refuses, before anything is written, a user of a server who may read and
// quote but not change the shared price tables. Throws Error.
void requirePriceChanges(const PriceTable &table);

// The message of a change to a record that is not there any more: on a
// server another workstation deleted it meanwhile.
QString recordGoneText(const QString &detail);

// Runs fn, which writes the price table; a server's refusal of the write
// becomes the message requirePriceChanges() gives.
void writingPrices(const PriceTable &table, const std::function<void()> &fn);

} // namespace tarvex
