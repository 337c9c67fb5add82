#pragma once

#include <QString>
#include <QStringView>

namespace tarvex {

// A value as a message quotes it: between single quotes, control characters
// escaped (\r, \n, \t, \x00) and at most about 60 characters, the rest
// counted ("'aaaa…' (共 1048576 个字符)"), so that a huge or binary field
// still gives a readable message.
QString shownValue(QStringView value);

} // namespace tarvex
