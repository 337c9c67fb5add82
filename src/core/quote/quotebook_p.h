#pragma once

// Shared between the two sheet writers of the spreadsheet quotation.

#include "core/document/xlsxcells.h"
#include "core/quote/quoterun.h"
#include "core/quote/quotesheetdata.h"

#include <QString>

#include <functional>

#include <xlsxwriter.h>

namespace tarvex::quotebook {

struct Formats {
    lxw_format *title = nullptr;
    lxw_format *label = nullptr;
    lxw_format *area = nullptr;
    lxw_format *heading = nullptr;
    lxw_format *text = nullptr;
    lxw_format *centred = nullptr;
    lxw_format *number = nullptr;
    lxw_format *percent = nullptr;
    lxw_format *plain = nullptr; // detail sheet values as they are
    lxw_format *bold = nullptr; // section captions

    explicit Formats(lxw_workbook *book);
};

// Absolute references to the data rows of the detail sheet's blocks, one per
// column, e.g. '材料明细表'!$A$2:$A$7.
struct DetailRanges {
    QString lcClass, lcFlag, lcPrice, lcLoss;
    QString pjName, pjSpec, pjPrice, pjLoss;
    QString blName, blPrice, blLoss;
    QString fyName, fyAmount, fyPercent;
};

// Both writers fill a new sheet row by row (the workbook keeps only the
// current row of each sheet in memory).

// Writes the detail sheet and returns the references to its blocks.
DetailRanges writeDetailSheet(SheetWriter &sheet, const Formats &formats, const QuoteDetails &details);

// priceExcel: one quotation sheet for one scope item. done counts the
// material rows written over the whole workbook.
void priceExcel(SheetWriter &sheet, const Formats &formats, const QuoteItem &item, const QuoteDetails &details,
    const DetailRanges &ranges, int &done, const std::function<void(int)> &progress);

} // namespace tarvex::quotebook
