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

// True for the program folder's own library file, the one place an empty
// library is made without being asked for.
bool isProgramFolderLibrary(const QString &path);

// What a connection does when the library file is missing.
enum class MissingLibrary {
    // An empty library is made only in the program folder's own place; in any
    // other folder a missing file is refused, naming the folder and the file,
    // so that a wrong folder setting does not show an empty library.
    CreateInProgramFolder,
    // An empty library is made wherever it is asked for: the user's explicit
    // request (the settings dialog, tarvex-cli library init).
    Create,
};

// A connection of its own to a library, closed when the owner goes: each
// library window and command holds one. A missing folder, a missing file
// (see MissingLibrary), a file that is not a library, or one made by a newer
// program is refused. On a server the shared schema must hold the library at
// the program's version. Throws Error naming the file or the server.
class LibraryConnection {
public:
    // This run's library: the server's, or the file currentLibraryFile().
    LibraryConnection();
    // The library file at path.
    explicit LibraryConnection(const QString &path, MissingLibrary missing = MissingLibrary::CreateInProgramFolder);
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
    void openFile(const QString &path, MissingLibrary missing);

    QString m_name;
    QString m_path;
};

} // namespace tarvex
