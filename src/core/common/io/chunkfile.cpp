#include "core/common/io/chunkfile.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"

namespace tarvex {

void ChunkToFile(const QVariant &field, const QString &path, qint64 chunkSize)
{
    if (field.typeId() != QMetaType::QByteArray)
        throw Error(QStringLiteral("Field doesn't support the GetChunk method."));
    // The value is already in memory whole, so the pieces are one write.
    Q_UNUSED(chunkSize);
    saveFileAtomically(path, field.toByteArray());
}

} // namespace tarvex
