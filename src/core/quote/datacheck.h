#pragma once

#include "core/common/db/database.h"

#include <QString>

namespace tarvex {

// DataCheck: is every material of the project priced? 0 yes; 1 a profile code
// without line weight; 2 an accessory without unit price; 3 a glass without
// unit price; the first of these that holds. Throws Error on a database failure.
int DataCheck(QSqlDatabase db = Database::shared());

// The refusal of the paper quotation for a result of 1 to 3
// ("主材数据中有记录末找到线重!" ...); empty for 0.
QString dataCheckMessage(int result);

// The spreadsheet quotation asks instead of refusing for results 2 and 3:
// "附件数据中有记录末找到单价!是否继续?" / "玻璃数据中有记录末找到单价!是否继续?".
QString dataCheckQuestion(int result);

} // namespace tarvex
