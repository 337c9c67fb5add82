#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

namespace tarvex {

// What the information frame shows of the selected record.
struct LibraryRecord {
    qint32 id = 0;
    QString series; // mc
    QString name; // xl
    QString description; // bz, "" when Null
};

// The record with this ID; throws Error when there is none (removed meanwhile).
LibraryRecord readLibraryRecord(QSqlDatabase db, qint32 id);

// Writes series, name and description (trimmed; an empty description is
// stored as Null) into the record. Throws Error when the record is gone.
void modifyLibraryRecord(QSqlDatabase db, const LibraryRecord &record);

// Deletes the record; throws Error when it is gone.
void deleteLibraryRecord(QSqlDatabase db, qint32 id);

// Deletes every record of data (the pick lists stay), after keeping a dated
// copy of the whole library file beside it ("xltDb-备份-….sqlite"), which
// becomes the library again under the name xltDb.sqlite. Returns the copy's
// path, or empty text when there was no record to keep. When the copy cannot
// be written nothing is deleted. Throws Error.
QString clearLibraryRecords(QSqlDatabase db);

// The distinct series, in the tree's order.
QStringList librarySeriesNames(QSqlDatabase db);

// A new record from files. Series, name and picture are required; the
// workbook is optional.
struct LibraryImport {
    QString series;
    QString name;
    QString description;
    QString picturePath;
    QString workbookPath;

    // Series, name and picture are given (blank texts count as missing).
    bool isComplete() const;
};

// Checks the request and the files, then adds the record and returns its ID.
// Missing texts throw Error "项目填写不完整!请填定完整后重试!"; a file that
// cannot be read, is not a picture or not a workbook throws Error naming it.
// Nothing is added on failure.
qint32 importLibraryRecord(QSqlDatabase db, const LibraryImport &request);

// The record's workbook (empty when it has none).
QByteArray libraryWorkbook(QSqlDatabase db, qint32 id);

// Writes the record's workbook as temp1/<name>.<xlsx|xls> of the program
// folder and returns the path; empty text when the record has none.
QString writeLibraryWorkbookToTemp(QSqlDatabase db, qint32 id);

// Writes the record's picture as <name>.<format> and its workbook, when it has
// one, as <name>.<xlsx|xls> into folder (created when missing). Returns the
// files written. Throws Error for an unknown ID or a file that cannot be
// written; a symbolic link in folder with a file's name is refused, never
// written through.
QStringList exportLibraryRecord(QSqlDatabase db, qint32 id, const QString &folder);

// One line of the listing.
struct LibraryListEntry {
    qint32 id = 0;
    QString series;
    QString name;
    qint64 pictureBytes = 0;
    bool hasWorkbook = false;
    QString description;
};
QVector<LibraryListEntry> listLibraryRecords(QSqlDatabase db);

} // namespace tarvex
