#pragma once

#include <QString>
#include <QStringList>

namespace tarvex {

// The path named on the command line: the arguments after the program name
// joined into one text, surrounding double quotes removed when present.
QString commandLinePath(const QStringList &arguments);

} // namespace tarvex
