#pragma once

#include "core/common/db/database.h"

#include <QList>
#include <QString>

namespace tarvex {

// How a price table column holds its values.
enum class PriceColumnKind {
    Number, // 编号: a whole number
    Text,
    Real, // prices, weights, factors: a decimal number
    YesNo, // 隔热: 1 or 0
};

struct PriceColumn {
    QString name;
    PriceColumnKind kind;
    bool key; // part of the natural key the priced views join on
    bool required; // a record needs it, as the entry dialog asks for it
};

// The columns of lcName, pjName, blName or FyTable in stored order; empty
// for any other name. Keys: lcName 代号, pjName 名称 + 规格, blName 名称,
// FyTable 费用名称.
const QList<PriceColumn> &priceColumns(const QString &table);

// The index of the column a price list's header names, or -1: the column's
// own name, or a common spelling of it (blanks anywhere, a unit in brackets
// as in "线重(kg/m)" or "单价（元）", 米重 for 线重, 含税单价 for 单价).
int columnForHeader(const QList<PriceColumn> &columns, const QString &header);

// The columns of which a price list must name one, in merge as in replace:
// the price (线重 of a profile; 单价; 费用量 or 百分比 of a fee).
QStringList priceColumnNames(const QString &table);

// "代号=?", "名称=? AND COALESCE(规格,'')=COALESCE(?,'')" ...: the natural
// key as the priced views join it, for the key values in column order.
QString keyCondition(const QString &table);

// The 编号 of the record the priced views use for these key values (the
// lowest of its key), or Null when there is none. Throws Error.
QVariant priceRecordOf(const QString &table, const QVariantList &keyValues, QSqlDatabase db = Database::shared());

// A fee needs an amount per square metre or a percentage (or both).
bool needsOneAmount(const QString &table);

} // namespace tarvex
