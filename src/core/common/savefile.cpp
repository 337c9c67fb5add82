#include "common/savefile.h"

#include "common/error.h"

#include <QDir>
#include <QSaveFile>

namespace tarvex {

QString cannotWriteText(const QString &path, const QString &reason)
{
    QString text = QStringLiteral("无法写入文件 ") + QDir::toNativeSeparators(path);
    if (!reason.isEmpty())
        text += QStringLiteral(": ") + reason;
    return text;
}

void saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(cannotWriteText(path, file.errorString()));
}

} // namespace tarvex
