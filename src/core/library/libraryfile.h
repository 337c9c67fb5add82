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

// Whether this run's library is the tables of the firm's server (section db
// of cs.ini: engine postgresql, library not "file").
bool libraryOnServer();

// A connection of its own to a library, closed when the owner goes: each
// library window and command holds one. A missing file in an existing folder
// is created as an empty library; a missing folder, a file that is not a
// library, or one made by a newer program is refused. On a server the shared
// schema must hold the library at the program's version. Throws Error naming
// the file or the server.
class LibraryConnection {
public:
    // This run's library: the server's, or the file currentLibraryFile().
    LibraryConnection();
    // The library file at path.
    explicit LibraryConnection(const QString &path);
    ~LibraryConnection();
    LibraryConnection(const LibraryConnection &) = delete;
    LibraryConnection &operator=(const LibraryConnection &) = delete;

    // A server connection that was lost is opened again first.
    QSqlDatabase db() const;
    // The file; empty on a server.
    const QString &path() const { return m_path; }
    // The file or the server, for people.
    QString where() const;

private:
    void openFile(const QString &path);

    QString m_name;
    QString m_path;
};

} // namespace tarvex
