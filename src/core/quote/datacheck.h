#pragma once

#include "core/common/db/database.h"
#include "core/prices/datacheckresult.h"

#include <QString>

namespace tarvex {

// DataCheck: is every material of the project priced? All priced, else a
// profile code without line weight, an accessory without unit price or a
// glass without unit price: the first of these that holds. Throws Error on a
// database failure.
DataCheckResult DataCheck(QSqlDatabase db = Database::shared());

// The refusal of the paper quotation for a material without price
// ("主材数据中有记录末找到线重!" ...); empty when all are priced.
QString dataCheckMessage(DataCheckResult result);

// A quotation may go on without the prices of accessories or glass (priced
// 0 when the user agrees), never without a profile's line weight.
bool mayGoOnWithout(DataCheckResult result);

// The spreadsheet quotation asks instead of refusing for accessories and glass:
// "附件数据中有记录末找到单价!是否继续?" / "玻璃数据中有记录末找到单价!是否继续?".
QString dataCheckQuestion(DataCheckResult result);

} // namespace tarvex
