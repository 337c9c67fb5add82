#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace tarvex {

// The two pick lists of the library file: item names (table xmName, column
// xmName) and profile colours (table xcys, column xcys).
enum class PickList { ItemNames, Colours };

// The list's caption: "项目名称" or "型材颜色".
QString pickListCaption(PickList list);

// The entries in the order they were added; duplicates stay.
QStringList readPickList(QSqlDatabase db, PickList list);

// Adds the text as a new entry (an equal entry may exist already).
void addPickEntry(QSqlDatabase db, PickList list, const QString &text);

// Deletes the first entry equal to text; throws Error when there is none.
void deletePickEntry(QSqlDatabase db, PickList list, const QString &text);

// Gives the first entry equal to oldText the text newText; throws Error when
// there is none.
void renamePickEntry(QSqlDatabase db, PickList list, const QString &oldText, const QString &newText);

} // namespace tarvex
