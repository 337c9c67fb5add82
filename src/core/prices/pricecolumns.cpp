#include "core/prices/pricecolumns.h"

#include <QHash>
#include <QStringList>

namespace tarvex {

namespace {

PriceColumn column(const char *name, PriceColumnKind kind, bool key = false, bool required = false)
{
    return {QString::fromUtf8(name), kind, key, required};
}

constexpr bool kKey = true;
constexpr bool kRequired = true;

} // namespace

const QList<PriceColumn> &priceColumns(const QString &table)
{
    static const QList<PriceColumn> profile {
        column("编号", PriceColumnKind::Number),
        column("系列", PriceColumnKind::Text, false, kRequired),
        column("名称", PriceColumnKind::Text, false, kRequired),
        column("代号", PriceColumnKind::Text, kKey, kRequired),
        column("线重", PriceColumnKind::Real, false, kRequired),
        column("隔热", PriceColumnKind::YesNo, false, kRequired),
        column("材料类别", PriceColumnKind::Text, false, kRequired),
        column("备注", PriceColumnKind::Text),
    };
    static const QList<PriceColumn> accessory {
        column("编号", PriceColumnKind::Number),
        column("类别", PriceColumnKind::Text, false, kRequired),
        column("名称", PriceColumnKind::Text, kKey, kRequired),
        // An accessory without specification is priced by a row without one.
        column("规格", PriceColumnKind::Text, kKey),
        column("技术要求", PriceColumnKind::Text),
        column("单位", PriceColumnKind::Text, false, kRequired),
        column("单价", PriceColumnKind::Real, false, kRequired),
        column("折扣量", PriceColumnKind::Real, false, kRequired),
        column("备注", PriceColumnKind::Text),
    };
    static const QList<PriceColumn> glass {
        column("编号", PriceColumnKind::Number),
        column("名称", PriceColumnKind::Text, kKey, kRequired),
        column("单价", PriceColumnKind::Real, false, kRequired),
        column("折扣量", PriceColumnKind::Real, false, kRequired),
        column("备注", PriceColumnKind::Text),
    };
    static const QList<PriceColumn> fee {
        column("费用名称", PriceColumnKind::Text, kKey, kRequired),
        column("费用量", PriceColumnKind::Real),
        column("百分比", PriceColumnKind::Real),
    };
    static const QList<PriceColumn> none;
    if (table == QLatin1String("lcName"))
        return profile;
    if (table == QLatin1String("pjName"))
        return accessory;
    if (table == QLatin1String("blName"))
        return glass;
    if (table == QLatin1String("FyTable"))
        return fee;
    return none;
}

namespace {

// The header without blanks and without a bracketed unit at its end.
QString plainHeader(const QString &header)
{
    QString text;
    for (const QChar c : header)
        if (!c.isSpace())
            text += c;
    static const QList<std::pair<QChar, QChar>> brackets {{u'(', u')'}, {u'（', u'）'}, {u'[', u']'}, {u'【', u'】'}};
    for (const auto &[open, close] : brackets) {
        const qsizetype at = text.indexOf(open);
        if (at > 0 && text.endsWith(close))
            return text.left(at);
    }
    return text;
}

} // namespace

int columnForHeader(const QList<PriceColumn> &columns, const QString &header)
{
    static const QHash<QString, QString> spellings {
        {QStringLiteral("米重"), QStringLiteral("线重")},
        {QStringLiteral("含税单价"), QStringLiteral("单价")},
    };
    QString name = plainHeader(header);
    name = spellings.value(name, name);
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).name == name)
            return i;
    return -1;
}

QStringList priceColumnNames(const QString &table)
{
    if (table == QLatin1String("lcName"))
        return {QStringLiteral("线重")};
    if (table == QLatin1String("FyTable"))
        return {QStringLiteral("费用量"), QStringLiteral("百分比")};
    if (table == QLatin1String("pjName") || table == QLatin1String("blName"))
        return {QStringLiteral("单价")};
    return {};
}

QString keyCondition(const QString &table)
{
    QStringList conditions;
    for (const PriceColumn &c : priceColumns(table)) {
        if (!c.key)
            continue;
        // The fees' key compares without case too; an optional key is the
        // same empty whether stored or given as Null or as '' (a server
        // receives an empty text as Null).
        if (c.required)
            conditions.append(c.name + QStringLiteral("=? COLLATE NOCASE"));
        else
            conditions.append(QStringLiteral("COALESCE(%1,'')=COALESCE(?,'') COLLATE NOCASE").arg(c.name));
    }
    return conditions.join(QStringLiteral(" AND "));
}

QVariant priceRecordOf(const QString &table, const QVariantList &keyValues, QSqlDatabase db)
{
    return sqlScalar(
        QStringLiteral("SELECT MIN(编号) FROM %1 WHERE %2").arg(table, keyCondition(table)), keyValues, db);
}

bool needsOneAmount(const QString &table)
{
    return table == QLatin1String("FyTable");
}

} // namespace tarvex
