#include "core/document/workbookscratch.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"

#include <QDir>
#include <QFile>

#include <sys/statfs.h>

#include <cstdio>

namespace tarvex {

namespace {

constexpr long kTmpfsMagic = 0x01021994;

// Bytes an unprivileged process may still write in the folder's file system;
// -1 when that cannot be told.
qint64 freeBytes(const QByteArray &folder, long *type = nullptr)
{
    struct statfs fs { };
    if (statfs(folder.constData(), &fs) != 0)
        return -1;
    if (type)
        *type = long(fs.f_type);
    return qint64(fs.f_bavail) * qint64(fs.f_bsize);
}

// What the system could still give the process, from /proc/meminfo.
qint64 availableMemory()
{
    FILE *info = std::fopen("/proc/meminfo", "r");
    if (!info)
        return -1;
    char line[256];
    long long kb = -1;
    while (std::fgets(line, sizeof line, info)) {
        if (std::sscanf(line, "MemAvailable: %lld kB", &kb) == 1)
            break;
    }
    std::fclose(info);
    return kb < 0 ? -1 : qint64(kb) * 1024;
}

bool hasRoomInMemory(const QString &folder, qint64 bytes)
{
    long type = 0;
    const qint64 free = freeBytes(QFile::encodeName(folder), &type);
    return type == kTmpfsMagic && free >= bytes && availableMemory() >= bytes;
}

} // namespace

QStringList memoryFolders()
{
    QStringList folders;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        folders.append(runtime);
    folders.append(QStringLiteral("/dev/shm"));
    return folders;
}

WorkbookScratch::WorkbookScratch(qint64 bytes, const QStringList &candidates, qint64 reserve)
    : m_reserve(reserve)
{
    const qint64 wanted = bytes + reserve;
    for (const QString &folder : candidates) {
        if (!hasRoomInMemory(folder, wanted))
            continue;
        m_dir = std::make_unique<QTemporaryDir>(QDir(folder).filePath(QStringLiteral("tarvex-book-XXXXXX")));
        if (m_dir->isValid()) {
            m_inMemory = true;
            break;
        }
    }
    if (!m_inMemory)
        m_dir = std::make_unique<QTemporaryDir>();
    m_encoded = QFile::encodeName(m_dir->path());
}

void WorkbookScratch::checkRoom(const QString &target) const
{
    const qint64 free = freeBytes(m_encoded);
    if (free >= 0 && free < m_reserve)
        throw Error(cannotWriteText(target,
            QStringLiteral("临时文件夹 %1 空间不足(只剩%2 MB)")
                .arg(QDir::toNativeSeparators(path()))
                .arg(free / (1024 * 1024))));
}

} // namespace tarvex
