#pragma once

#include <QString>
#include <QStringView>

namespace tarvex {

// A value as a message quotes it: between single quotes, control characters
// escaped (\r, \n, \t, \x00) and at most about 60 characters, the rest
// counted ("'aaaa…' (共 1048576 个字符)"), so that a huge or binary field
// still gives a readable message.
QString shownValue(QStringView value);

// True when the text holds a control character other than a tab or a line
// break (NUL, escape, DEL, C1 ...): what shownValue writes as \xNN. Such a
// character has no place in a name or remark and does not survive a workbook.
bool hasControlCharacter(QStringView text);

} // namespace tarvex
