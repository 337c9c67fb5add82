#include "core/prices/pricelists.h"

#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/error.h"
#include "core/common/io/textcodec.h"

#include <QDir>
#include <QFile>

namespace tarvex {

namespace {

QStringList firstColumn(const QString &sql, const QVariantList &values = {})
{
    QStringList list;
    QSqlQuery query = sqlExec(sql, values);
    while (query.next())
        if (!query.value(0).isNull())
            list.append(query.value(0).toString());
    return list;
}

// The distinct values of a column in the order they first appear, each
// spelt as at its first appearance.
QString inFirstOrder(const QString &column, const QString &table, const QString &where = QString())
{
    return QStringLiteral("SELECT FIRST(%1) FROM %2%3 GROUP BY %1 ORDER BY MIN(编号)")
        .arg(column, groupedRows(table, column, Database::shared(), QStringLiteral("编号")), where);
}

} // namespace

QStringList profileSeries()
{
    return firstColumn(inFirstOrder(QStringLiteral("系列"), QStringLiteral("lcName")));
}

QStringList profileNames(const QString &series)
{
    return firstColumn(
        inFirstOrder(QStringLiteral("名称"), QStringLiteral("lcName"), QStringLiteral(" WHERE 系列=?")), {series});
}

QStringList accessoryClasses()
{
    return firstColumn(inFirstOrder(QStringLiteral("类别"), QStringLiteral("pjName")));
}

QStringList accessoryNames(const QString &category)
{
    return firstColumn(
        inFirstOrder(QStringLiteral("名称"), QStringLiteral("pjName"), QStringLiteral(" WHERE 类别=?")), {category});
}

QStringList readMaterialClasses(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw Error(QStringLiteral("找不到材料类别文件%1").arg(QDir::toNativeSeparators(path)));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("无法读取材料类别文件%1:%2").arg(QDir::toNativeSeparators(path), file.errorString()));
    QString text = decodeUtf8OrGbk(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n')); // files with CR line ends
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    // A line break at the end closes the last line; it does not open another.
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace tarvex
