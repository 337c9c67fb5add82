#include "common/sqlscript.h"

#include "common/database.h"
#include "common/error.h"
#include "common/textcodec.h"

#include <QDir>
#include <QFile>

namespace tarvex {

QStringList splitSqlScript(const QString &script)
{
    QString code;
    for (const QString &line : script.split(QLatin1Char('\n')))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            code += line + QLatin1Char('\n');
    QStringList statements;
    QString current;
    bool inQuote = false;
    for (QChar c : code) {
        if (c == QLatin1Char('\''))
            inQuote = !inQuote;
        if (c == QLatin1Char(';') && !inQuote) {
            if (!current.trimmed().isEmpty())
                statements.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

void runSqlScriptFile(const QString &path, QSqlDatabase db)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("无法读取 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString());
    const QStringList statements = splitSqlScript(decodeUtf8OrGbk(file.readAll()));
    inTransaction(db, [&] {
        for (const QString &statement : statements)
            sqlExec(statement, {}, db);
    });
}

} // namespace tarvex
