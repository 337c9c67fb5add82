#pragma once

#include <QStringList>

namespace tarvex {

// What a support call needs to know about this installation, one line each:
// versions, operating system, the program, data and library folders with
// their database files, and the record counts of the working and price
// tables. A value that cannot be gathered reads "此时系统信息不可用".
QStringList systemInfoLines();

QString unavailableText();

} // namespace tarvex
