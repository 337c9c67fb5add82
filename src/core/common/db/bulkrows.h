#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <QVector>

#include <memory>
#include <optional>

namespace tarvex {

class ReadTransaction;
class SqliteStatement;

// The rows of a query one at a time, for the bulk paths (save, exports): on
// a file straight from the sqlite3 statement, on a server through a cursor
// read in batches, so that memory stays small and other statements may run
// on the connection while the rows are walked. Runs inside the connection's
// transaction, or a read transaction of its own. Errors throw Error.
class RowCursor {
public:
    RowCursor(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {});
    ~RowCursor();
    RowCursor(const RowCursor &) = delete;
    RowCursor &operator=(const RowCursor &) = delete;

    bool next();

    int columnCount() const;
    QString columnName(int column) const;
    bool isNull(int column) const;
    bool isInteger(int column) const;
    bool isReal(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    // Null, an integer, a double, a text or bytes, as stored.
    QVariant value(int column) const;
    // Valid until the next call of next().
    QStringView text(int column) const;
    QByteArrayView utf8(int column) const;

private:
    void fetch();

    std::unique_ptr<SqliteStatement> m_file;
    // A server's cursor.
    QSqlDatabase m_db;
    std::unique_ptr<ReadTransaction> m_transaction;
    QString m_cursor;
    QStringList m_names;
    QVector<QVariantList> m_batch;
    int m_at = -1;
    bool m_exhausted = false;
    mutable QString m_text;
    mutable QByteArray m_utf8;
};

// One query run again and again with new values, a look-up per row of a
// large list: on a file one sqlite3 statement, on a server one prepared
// statement. Bind, then next() runs it and gives its rows; reset() makes it
// ready for the next values. Errors throw Error.
class RepeatedQuery {
public:
    RepeatedQuery(const QSqlDatabase &db, const QString &sql);
    ~RepeatedQuery();
    RepeatedQuery(const RepeatedQuery &) = delete;
    RepeatedQuery &operator=(const RepeatedQuery &) = delete;

    void bind(int position, const QVariant &value);
    bool next();
    void reset();

    // Null, an integer, a double, a text or bytes, as stored.
    QVariant value(int column) const;

private:
    std::unique_ptr<SqliteStatement> m_file;
    std::unique_ptr<QSqlQuery> m_server;
    QSqlDatabase m_db;
    QVariantList m_values;
    bool m_ran = false;
};

// Rows added to one table in bulk, inside the connection's transaction: on a
// file through one prepared INSERT, on a server through COPY, sent a slice
// at a time. finish() must run before any other statement on the
// connection, the commit included: the last slice's result is taken there.
// Positions count from 1, in the order of the columns given.
class BulkInsert {
public:
    BulkInsert(const QSqlDatabase &db, const QString &table, const QStringList &columns);
    ~BulkInsert();
    BulkInsert(const BulkInsert &) = delete;
    BulkInsert &operator=(const BulkInsert &) = delete;

    // A null view is an empty text, never Null.
    void bind(int position, double value);
    void bind(int position, QStringView text);
    void bind(int position, const QString &text) { bind(position, QStringView(text)); }
    // Null, a number, a text or bytes.
    void bind(int position, const QVariant &value);
    // Adds the row bound.
    void execute();
    void finish();

private:
    void flush();

    std::unique_ptr<SqliteStatement> m_file;
    QSqlDatabase m_db;
    QByteArray m_copy; // the COPY statement
    QVector<QByteArray> m_fields; // the row being bound, as COPY text
    QByteArray m_pending; // rows not yet sent
};

// A server builds an index over rows already there by one sort, much faster
// than it keeps it up to date row by row: the keys and indexes of tables
// about to be filled in bulk are set aside and built again from their own
// definitions by rebuild(), which must run before the caller's transaction
// is committed (a rollback brings them back by itself). Nothing is set aside
// on a file, nor where this login does not own the table or another table
// refers to its key.
class IndexesSetAside {
public:
    IndexesSetAside(const QSqlDatabase &db, const QStringList &tables);
    void rebuild();

private:
    QSqlDatabase m_db;
    QStringList m_restore; // the statements that build them again
};

// The text COPY reads for a value: shortest decimal form of a double, texts
// with backslash, tab and line ends escaped.
QByteArray copyNumber(double value);
QByteArray copyText(QStringView text);

} // namespace tarvex
