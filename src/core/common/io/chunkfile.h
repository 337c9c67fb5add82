#pragma once

#include <QString>
#include <QVariant>

namespace tarvex {

// Writes a long binary field's value to a file, replacing it whole (the value
// is already in memory, so chunkSize does not split it). A value that is not
// binary data raises Error "Field doesn't support the GetChunk method."
// before the file is touched.
void ChunkToFile(const QVariant &field, const QString &path, qint64 chunkSize);

} // namespace tarvex
