#pragma once

#include "core/common/entrymode.h"

#include <QString>

namespace tarvex {

// What an entry dialog holds, as typed (the save trims every text).
struct ProfileEntry {
    QString number; // 编号 shown; the key when modifying
    QString series;
    QString name;
    QString code;
    QString weight;
    bool thermal = true;
    QString materialClass;
    QString remark;
};

struct AccessoryEntry {
    QString number;
    QString category;
    QString name;
    QString spec;
    QString requirement;
    QString unit;
    QString price;
    QString discount;
    QString remark;
};

struct GlassEntry {
    QString number;
    QString name;
    QString price;
    QString discount;
    QString remark;
};

struct FeeEntry {
    QString name;
    QString perArea; // 费用量: amount per square metre
    QString percent; // 百分比
};

enum class SaveResult {
    Added,
    Modified,
    Incomplete, // a required field is empty; nothing written
    Duplicate, // another accessory has the same 名称 and 规格; nothing written
};

struct SaveOutcome {
    SaveOutcome(SaveResult r)
        : result(r)
    {
    }
    SaveResult result;
    int number = -1; // 编号 given to an added record
    QString feeName; // the fee name saved (fees only)
};

// The 编号 a new record of lcName, pjName or blName gets: the largest + 1,
// 0 for an empty table.
int nextPriceNumber(const QString &table);

// Adding appends a record with the next number; modifying rewrites the record
// whose 编号 is entry.number. Optional texts (remarks, 技术要求) are written
// only when not empty, so an emptied one keeps the stored value on modify.
// A value that is not a number, a record that no longer exists or a database
// failure throws Error with a plain reason and writes nothing.
SaveOutcome saveProfile(const ProfileEntry &entry, EntryMode mode);
SaveOutcome saveAccessory(const AccessoryEntry &entry, EntryMode mode);
SaveOutcome saveGlass(const GlassEntry &entry, EntryMode mode);

// Fees are keyed by name: modifying rewrites the record named loadedName
// (so a fee can be renamed). Each amount is written only when given; at least
// one of them is required.
SaveOutcome saveFee(const FeeEntry &entry, EntryMode mode, const QString &loadedName);

} // namespace tarvex
