#include "common/chunkfile.h"

#include "common/error.h"

#include <QDir>
#include <QSaveFile>

namespace tarvex {

void ChunkToFile(const QVariant &field, const QString &path, qint64 chunkSize)
{
    if (field.typeId() != QMetaType::QByteArray)
        throw Error(QStringLiteral("Field doesn't support the GetChunk method."));
    const QByteArray data = field.toByteArray();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("无法写入文件 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                    + file.errorString());
    const qint64 step = chunkSize > 0 ? chunkSize : data.size();
    for (qint64 done = 0; done < data.size(); done += step) {
        const qint64 n = qMin(step, data.size() - done);
        if (file.write(data.constData() + done, n) != n)
            break;
    }
    if (!file.commit())
        throw Error(QStringLiteral("无法写入文件 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                    + file.errorString());
}

} // namespace tarvex
