#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;
class QSaveFile;

namespace tarvex {

// The failure text of a file that could not be written.
QString cannotWriteText(const QString &path, const QString &reason);

// The failure text of a temporary folder that could not be made.
QString cannotMakeTempFolderText(const QString &reason);

// Writes a file that is only there when whole: write(part) fills path +
// ".part", which then takes the name path (an existing file is never
// replaced). A failure leaves neither. Throws Error with cannotWriteText.
void writeWholeFile(const QString &path, const std::function<void(const QString &part)> &write);

// Whether a save may write through a symbolic link at its path to the file
// the link names. The program's own files (cs.ini, the databases, files the
// user names) follow the user's links; a file exported into a folder refuses
// one, so that a link planted there cannot lead the write elsewhere.
enum class Symlinks { Follow, Refuse };

// A file written through a temporary file that commit() renames over path:
// the file is whole or left as it was. Every buffered byte is flushed and
// synced and the device's error checked before the rename, so a full disk
// cancels the save instead of leaving a cut-off file. Dropped without
// commit(), it leaves the old file. Throws Error with cannotWriteText.
class AtomicFile {
public:
    explicit AtomicFile(const QString &path, Symlinks symlinks = Symlinks::Follow);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Where the bytes go; a failed write is kept and reported by commit().
    QIODevice &device();
    void commit();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Writes a file through a temporary file renamed over path: the file is whole
// or left as it was. Every buffered byte is flushed and synced and the
// device's error checked before the rename, so a full disk cancels the save
// instead of leaving a cut-off file. write() fills the device; when it throws,
// the old file stays. Throws Error with cannotWriteText.
void saveFileAtomically(
    const QString &path, const std::function<void(QIODevice &)> &write, Symlinks symlinks = Symlinks::Follow);
void saveFileAtomically(const QString &path, const QByteArray &bytes, Symlinks symlinks = Symlinks::Follow);

// Copies the file at source to path atomically, in pieces (for files built
// aside, such as workbooks).
void copyFileAtomically(const QString &source, const QString &path);

// Where a copy of records is kept before a step that removes them: the name
// "<stem>-备份-<date>-<time>.<suffix>" in folder, numbered on ("-2", "-3" …)
// when a copy of the same second is there already.
QString datedBackupPath(const QString &folder, const QString &stem, const QString &suffix);

// The line of a success message that names the copy kept.
QString backupKeptText(const QString &path);

// The device seam: tests hand in a device that fails the way a full disk
// does. An empty maker restores the real QSaveFile.
using SaveFileMaker = std::function<std::unique_ptr<QSaveFile>(const QString &path)>;
void setSaveFileMaker(SaveFileMaker maker);

} // namespace tarvex
