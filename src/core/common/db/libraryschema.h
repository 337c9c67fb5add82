#pragma once

#include "core/common/db/schemaversion.h"

#include <QString>

namespace tarvex {

// The versions of the drawing library: the file xltDb.sqlite, or its tables
// in a server's shared schema. path names the file in the messages of a file
// made before versions were kept that is no library. New upgrade steps are
// appended here.
SchemaPlan librarySchemaPlan(const QString &path);

} // namespace tarvex
