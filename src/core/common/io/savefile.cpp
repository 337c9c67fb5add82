#include "core/common/io/savefile.h"

#include "core/common/error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tarvex {

namespace {

SaveFileMaker &saveFileMaker()
{
    static SaveFileMaker maker;
    return maker;
}

// Why a write to the file failed, just after it failed: a full disk is said
// plainly (Qt reports a write cut short by it as "Unknown error").
QString writeFailure(const QSaveFile &file, int error)
{
    const QStorageInfo disk(QFileInfo(file.fileName()).absolutePath());
    if (error == ENOSPC || error == EDQUOT || (disk.isValid() && disk.bytesAvailable() == 0))
        return QStringLiteral("磁盘空间不足");
    return file.errorString();
}

// Passes every write on to the file and keeps the first failure: some writers
// (QPdfWriter) do not look at the result of a write.
class CheckedDevice : public QIODevice {
public:
    explicit CheckedDevice(QSaveFile &file)
        : m_file(file)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    bool failed() const { return !m_failure.isNull(); }
    QString failure() const { return m_failure; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (failed())
            return -1;
        errno = 0;
        if (m_file.write(data, size) != size) {
            m_failure = writeFailure(m_file, errno);
            return -1;
        }
        return size;
    }

private:
    QSaveFile &m_file;
    QString m_failure;
};

// Flushes Qt's buffer and the system's: the last failed flush is what Qt 6.4's
// commit() forgets to report.
QString flushFailure(QSaveFile &file)
{
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return writeFailure(file, errno);
    const int handle = file.handle();
    if (handle >= 0 && ::fsync(handle) != 0 && errno != EINVAL && errno != EROFS)
        return errno == ENOSPC || errno == EDQUOT ? QStringLiteral("磁盘空间不足")
                                                  : QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

[[noreturn]] void fail(QSaveFile &file, const QString &path, QString reason)
{
    if (reason.isEmpty())
        reason = QStringLiteral("写入失败");
    file.cancelWriting();
    throw Error(cannotWriteText(path, reason));
}

} // namespace

void writeWholeFile(const QString &path, const std::function<void(const QString &part)> &write)
{
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    try {
        write(part);
    } catch (const Error &e) {
        QFile::remove(part);
        throw Error(cannotWriteText(path, e.message()));
    }
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        throw Error(cannotWriteText(path, QStringLiteral("文件已存在或不能改名")));
    }
}

QString cannotMakeTempFolderText(const QString &reason)
{
    return QStringLiteral("无法创建临时文件夹: ") + reason;
}

QString cannotWriteText(const QString &path, const QString &reason)
{
    QString text = QStringLiteral("无法写入文件 ") + QDir::toNativeSeparators(path);
    if (!reason.isEmpty())
        text += QStringLiteral(": ") + reason;
    return text;
}

QString datedBackupPath(const QString &folder, const QString &stem, const QString &suffix)
{
    const QString base
        = stem + QStringLiteral("-备份-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir dir(folder);
    QString path = dir.filePath(base + QLatin1Char('.') + suffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.%3").arg(base).arg(n).arg(suffix));
    return path;
}

QString backupKeptText(const QString &path)
{
    return QStringLiteral("清除前的记录已备份至: ") + QDir::toNativeSeparators(path);
}

void setSaveFileMaker(SaveFileMaker maker)
{
    saveFileMaker() = std::move(maker);
}

namespace {

// QSaveFile writes to the file a link names: refused where links are.
void checkSymlink(const QString &path, Symlinks symlinks)
{
    if (symlinks == Symlinks::Refuse && QFileInfo(path).isSymLink())
        throw Error(cannotWriteText(path, QStringLiteral("这是一个符号链接, 导出不会写入它所指向的文件")));
}

} // namespace

struct AtomicFile::Private {
    Private(const QString &path, Symlinks symlinks)
        : path(path)
        , symlinks(symlinks)
        , file(saveFileMaker() ? saveFileMaker()(path) : std::make_unique<QSaveFile>(path))
    {
    }

    QString path;
    Symlinks symlinks;
    std::unique_ptr<QSaveFile> file;
    std::unique_ptr<CheckedDevice> device;
    bool committed = false;
};

AtomicFile::AtomicFile(const QString &path, Symlinks symlinks)
{
    checkSymlink(path, symlinks);
    d = std::make_unique<Private>(path, symlinks);
    errno = 0;
    if (!d->file->open(QIODevice::WriteOnly))
        throw Error(cannotWriteText(path, writeFailure(*d->file, errno)));
    d->device = std::make_unique<CheckedDevice>(*d->file);
    // A link made while the file was opened leads the rename astray too.
    checkSymlink(path, symlinks);
}

AtomicFile::~AtomicFile()
{
    if (!d->committed)
        d->file->cancelWriting();
}

QIODevice &AtomicFile::device()
{
    return *d->device;
}

void AtomicFile::commit()
{
    QSaveFile &file = *d->file;
    d->committed = true; // whatever happens now, the temporary file is gone
    if (d->device->failed())
        fail(file, d->path, d->device->failure());
    const QString failure = flushFailure(file);
    if (!failure.isEmpty())
        fail(file, d->path, failure);
    if (d->symlinks == Symlinks::Refuse && QFileInfo(d->path).isSymLink()) {
        file.cancelWriting();
        checkSymlink(d->path, d->symlinks);
    }
    if (!file.commit())
        throw Error(cannotWriteText(d->path, file.errorString()));
}

void saveFileAtomically(const QString &path, const std::function<void(QIODevice &)> &write, Symlinks symlinks)
{
    AtomicFile file(path, symlinks);
    write(file.device()); // an exception drops the temporary file with file
    file.commit();
}

void saveFileAtomically(const QString &path, const QByteArray &bytes, Symlinks symlinks)
{
    saveFileAtomically(
        path, [&](QIODevice &device) { device.write(bytes); }, symlinks);
}

void copyFileAtomically(const QString &source, const QString &path)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(cannotWriteText(path, in.errorString()));
    saveFileAtomically(path, [&](QIODevice &device) {
        QByteArray piece(1 << 20, Qt::Uninitialized);
        for (;;) {
            const qint64 n = in.read(piece.data(), piece.size());
            if (n < 0)
                throw Error(cannotWriteText(path, in.errorString()));
            if (n == 0)
                break;
            if (device.write(piece.constData(), n) != n)
                break; // the failure is reported by saveFileAtomically
        }
    });
}

} // namespace tarvex
