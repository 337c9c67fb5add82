#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tarvex {

// The memory file systems a workbook's temporary files may go to:
// $XDG_RUNTIME_DIR, then /dev/shm.
QStringList memoryFolders();

// The folder where libxlsxwriter keeps a workbook's temporary files while it
// is written: in constant-memory mode a file per sheet and another per part
// it packs, tens of thousands for a per-window quotation. Made and deleted in
// such numbers they cost ext4 more kernel time the more were made before, a
// memory file system nothing. So the folder is a private one on the first of
// the memory folders that is a tmpfs, can be written and has the room (and
// the free memory) for `bytes`; else on the system's temp folder.
//
// The library does not look at the result of its writes to these files: in a
// folder that ran full a workbook would be closed without error with sheets
// cut short. checkRoom() is called as the workbook is written and before it
// is closed, and fails the writing while there is still `reserve` left.
class WorkbookScratch {
public:
    static constexpr qint64 kReserve = 64 * 1024 * 1024;

    explicit WorkbookScratch(qint64 bytes, const QStringList &candidates = memoryFolders(), qint64 reserve = kReserve);

    bool isValid() const { return m_dir->isValid(); }
    QString errorString() const { return m_dir->errorString(); }
    QString path() const { return m_dir->path(); }
    bool inMemory() const { return m_inMemory; }
    // The path as the library's tmpdir option takes it; lives as long as this.
    char *libraryPath() { return m_encoded.data(); }

    // Throws Error (cannotWriteText for target) when less than the reserve
    // is left in the folder.
    void checkRoom(const QString &target) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_encoded;
    qint64 m_reserve;
    bool m_inMemory = false;
};

} // namespace tarvex
