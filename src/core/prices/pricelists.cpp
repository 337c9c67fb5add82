#include "core/prices/pricelists.h"

#include "core/common/db/database.h"
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

} // namespace

QStringList profileSeries()
{
    return firstColumn(QStringLiteral("SELECT DISTINCT 系列 FROM lcName"));
}

QStringList profileNames(const QString &series)
{
    return firstColumn(QStringLiteral("SELECT DISTINCT 名称 FROM lcName WHERE 系列=?"), {series});
}

QStringList accessoryClasses()
{
    return firstColumn(QStringLiteral("SELECT DISTINCT 类别 FROM pjName"));
}

QStringList accessoryNames(const QString &category)
{
    return firstColumn(QStringLiteral("SELECT DISTINCT 名称 FROM pjName WHERE 类别=?"), {category});
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
