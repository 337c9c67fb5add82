#pragma once

#include <QString>
#include <QVariant>

namespace tarvex {

// Writes a long binary field's value to a file in pieces of chunkSize bytes,
// replacing the file. A value that is not binary data raises Error
// "Field doesn't support the GetChunk method." before the file is touched.
void ChunkToFile(const QVariant &field, const QString &path, qint64 chunkSize);

} // namespace tarvex
