#pragma once

#include "core/quote/quoterun.h"

#include <QList>
#include <QVariantList>
#include <QVector>

namespace tarvex {

// The four blocks of the detail sheet "材料明细表", one list of cell values
// per row (a null value is an empty cell, a number a number, anything else
// text), loss factors already appended.
struct QuoteDetails {
    QList<QVariantList> profiles; // A-D: class, 隔热 text, price per kg, loss
    QList<QVariantList> accessories; // F-K: 名称, 规格, 技术要求, 单位, 单价, loss
    QList<QVariantList> glass; // M-O: 名称, 单价, loss
    QList<QVariantList> fees; // Q-S: name, amount, percentage
};

// The 隔热 text of a price string item read back as a flag; false in *ok
// when the text is no flag at all.
bool flagFromText(const QString &text, bool *ok = nullptr);

// A loss factor box as the spreadsheet holds it: its numeric value, or an
// empty cell for an empty box (both count as 0).
QVariant lossCell(const QString &text);

// Reads the blocks of the detail sheet from the price string, the loss
// factor texts and the price views of the shared database. Throws Error.
QuoteDetails loadQuoteDetails(const QuoteRun &run);

} // namespace tarvex
