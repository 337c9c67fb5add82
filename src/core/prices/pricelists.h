#pragma once

#include <QStringList>

namespace tarvex {

// The choices the entry dialogs offer, Nulls left out, in the database's order.
QStringList profileSeries(); // distinct 系列 of lcName
QStringList profileNames(const QString &series); // distinct 名称 of one series
QStringList accessoryClasses(); // distinct 类别 of pjName
QStringList accessoryNames(const QString &category); // distinct 名称 of one class

// The material classes of cllb.txt: one per line in file order, each line
// whole (empty lines too), UTF-8 or GBK. Throws Error naming the file when it
// is missing or unreadable.
QStringList readMaterialClasses(const QString &path);

} // namespace tarvex
