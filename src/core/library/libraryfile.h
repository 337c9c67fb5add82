#pragma once

#include <QSqlDatabase>
#include <QString>

namespace tarvex {

// The drawing library xltDb.sqlite: one row of table data per window
// template (series mc, name xl, picture bmp, workbook xls, description bz),
// and the two pick lists xmName and xcys.
QString libraryFileName();

// The library file inside a folder setting (empty = the program folder).
QString libraryFilePath(const QString &folderSetting);

// The library file of this run: the library folder read at start, or, before
// start-up has read it (tarvex-cli), key path2 of section sysPath in cs.ini.
QString currentLibraryFile();

// A connection of its own to a library file, closed when the owner goes: each
// library window and command holds one. A missing file in an existing folder
// is created as an empty library; a missing folder, a file that is not a
// library, or one made by a newer program is refused. Throws Error naming the
// file.
class LibraryConnection {
public:
    explicit LibraryConnection(const QString &path = currentLibraryFile());
    ~LibraryConnection();
    LibraryConnection(const LibraryConnection &) = delete;
    LibraryConnection &operator=(const LibraryConnection &) = delete;

    QSqlDatabase db() const;
    const QString &path() const { return m_path; }

private:
    QString m_name;
    QString m_path;
};

} // namespace tarvex
