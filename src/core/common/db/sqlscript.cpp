#include "core/common/db/sqlscript.h"

#include "core/common/db/database.h"
#include "core/common/db/sqlitefailure.h"
#include "core/common/error.h"
#include "core/common/io/textcodec.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

namespace tarvex {

namespace {

// The statement's text after blanks and comments.
QByteArrayView firstWords(QByteArrayView sql)
{
    for (;;) {
        sql = sql.trimmed();
        if (sql.startsWith("--")) {
            const qsizetype end = sql.indexOf('\n');
            sql = end < 0 ? QByteArrayView() : sql.sliced(end + 1);
        } else if (sql.startsWith("/*")) {
            const qsizetype end = sql.indexOf("*/");
            sql = end < 0 ? QByteArrayView() : sql.sliced(end + 2);
        } else {
            return sql;
        }
    }
}

// Transaction statements of the script itself: the whole script already runs
// in one transaction.
bool isTransactionControl(const char *sql)
{
    const QByteArray word = firstWords(sql).toByteArray().left(8).toUpper();
    return word.startsWith("BEGIN") || word.startsWith("COMMIT") || word.startsWith("END");
}

class Statement {
public:
    ~Statement() { sqlite3_finalize(m_statement); }
    sqlite3_stmt **slot() { return &m_statement; }
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace

void runSqlScript(const QString &script, QSqlDatabase db)
{
    sqlite3 *handle = sqliteHandle(db);
    const QByteArray utf8 = script.toUtf8();
    inTransaction(db, [&] {
        const char *next = utf8.constData();
        while (*next) {
            const char *start = next;
            Statement statement;
            int rc = sqlite3_prepare_v2(handle, start, -1, statement.slot(), &next);
            if (rc == SQLITE_OK && statement.get() && !isTransactionControl(sqlite3_sql(statement.get()))) {
                while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) { }
                if (rc == SQLITE_DONE)
                    rc = SQLITE_OK;
            }
            if (rc != SQLITE_OK) {
                // The line of the statement's first word.
                while (*start == ' ' || *start == '\t' || *start == '\r' || *start == '\n')
                    ++start;
                const int line = int(QByteArrayView(utf8.constData(), start - utf8.constData()).count('\n')) + 1;
                throw Error(QStringLiteral("第%1行: ").arg(line) + sqliteFailureText(handle));
            }
        }
    });
}

void runSqlScriptFile(const QString &path, QSqlDatabase db)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("无法读取 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString());
    try {
        runSqlScript(decodeUtf8OrGbk(file.readAll()), db);
    } catch (const Error &e) {
        throw Error(QDir::toNativeSeparators(path) + QLatin1Char(' ') + e.message());
    }
}

} // namespace tarvex
