#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>
#include <QStringView>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace tarvex {

// A prepared statement on the sqlite3 handle of a Qt connection, for the
// bulk paths of xdt files: a large project has hundreds of thousands of rows,
// and the Qt layer's per-row work (variants, re-binding, result set-up)
// would double the time of a load or a save. It runs inside whatever
// transaction the connection has open. Errors throw Error.
class SqliteStatement {
public:
    SqliteStatement(const QSqlDatabase &db, const QString &sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Binding by position from 1. A bound text must outlive the next step().
    void bind(int position, double value);
    void bind(int position, QStringView text);
    void bind(int position, const QString &text) { bind(position, QStringView(text)); }
    // Null, a number, a text or bytes (a blob); texts and bytes are copied.
    void bind(int position, const QVariant &value);
    // Runs a statement that returns no rows, then makes it ready again.
    void execute();

    // Rows of a query: next() until false, then the columns by position from 0.
    bool next();
    // Makes a query ready to run again (with new bindings) before its rows ran out.
    void reset();
    bool isNull(int column) const;
    bool isInteger(int column) const;
    bool isReal(int column) const;
    // What a column of the row holds, by one look.
    enum class Holds { Null, Integer, Real, Text, Bytes };
    Holds holds(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    // Valid until the next call of next().
    QStringView text(int column) const;
    // The text as stored (UTF-8, ended by a NUL), valid until the next call of next().
    QByteArrayView utf8(int column) const;
    // The value as the Qt layer gives it: Null, a number, a text or bytes.
    QVariant value(int column) const;

    int columnCount() const;
    QString columnName(int column) const;

private:
    [[noreturn]] void fail() const;

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace tarvex
