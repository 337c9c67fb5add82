#include "core/common/io/savefile.h"

#include "core/common/error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
        if (m_file.write(data, size) != size) {
            m_failure = m_file.errorString();
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
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return file.errorString();
    const int handle = file.handle();
    if (handle >= 0 && ::fsync(handle) != 0 && errno != EINVAL && errno != EROFS)
        return QString::fromLocal8Bit(std::strerror(errno));
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

struct AtomicFile::Private {
    explicit Private(const QString &path)
        : path(path)
        , file(saveFileMaker() ? saveFileMaker()(path) : std::make_unique<QSaveFile>(path))
    {
    }

    QString path;
    std::unique_ptr<QSaveFile> file;
    std::unique_ptr<CheckedDevice> device;
    bool committed = false;
};

AtomicFile::AtomicFile(const QString &path)
    : d(std::make_unique<Private>(path))
{
    if (!d->file->open(QIODevice::WriteOnly))
        throw Error(cannotWriteText(path, d->file->errorString()));
    d->device = std::make_unique<CheckedDevice>(*d->file);
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
    if (!file.commit())
        throw Error(cannotWriteText(d->path, file.errorString()));
}

void saveFileAtomically(const QString &path, const std::function<void(QIODevice &)> &write)
{
    AtomicFile file(path);
    write(file.device()); // an exception drops the temporary file with file
    file.commit();
}

void saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    saveFileAtomically(path, [&](QIODevice &device) { device.write(bytes); });
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
