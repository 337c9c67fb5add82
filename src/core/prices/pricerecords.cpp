#include "core/prices/pricerecords.h"

#include "core/common/db/database.h"
#include "core/common/db/dberror.h"
#include "core/common/db/dialect.h"
#include "core/common/error.h"
#include "core/common/numbers.h"
#include "core/prices/pricetables.h"

#include <QStringList>

namespace tarvex {

namespace {

double requireNumber(const QString &label, const QString &text)
{
    double value = 0;
    if (!parseNumber(text, &value))
        throw Error(QStringLiteral("%1必须是数字,填写的“%2”不是数字").arg(label, text));
    return value;
}

int requireKey(const QString &text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("编号“%1”不是整数,找不到要修改的记录").arg(text));
    return number;
}

bool anyEmpty(std::initializer_list<QString> texts)
{
    for (const QString &t : texts)
        if (t.isEmpty())
            return true;
    return false;
}

// The columns and values of one record; optional texts join only when given.
struct Fields {
    QStringList names;
    QVariantList values;

    void set(const QString &name, const QVariant &value)
    {
        names.append(name);
        values.append(value);
    }
    void setIfGiven(const QString &name, const QString &text)
    {
        if (!text.isEmpty())
            set(name, text);
    }
};

void insertRecord(const QString &table, const Fields &fields)
{
    QStringList marks;
    for (int i = 0; i < fields.names.size(); ++i)
        marks.append(QStringLiteral("?"));
    sqlExec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, fields.names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
        fields.values);
}

void updateRecord(
    const QString &table, Fields fields, const QString &keyField, const QVariant &key, const QString &missing)
{
    QStringList sets;
    for (const QString &name : fields.names)
        sets.append(name + QStringLiteral("=?"));
    fields.values.append(key);
    QSqlQuery query = sqlExec(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3=?").arg(table, sets.join(QLatin1Char(',')), keyField), fields.values);
    if (query.numRowsAffected() < 1)
        throw Error(recordGoneText(missing));
}

// Adds with the next number, or rewrites the record the entry was loaded
// from. The number is the highest + 1 while the table is held against
// other writers, so two workstations adding at once get different numbers.
SaveOutcome writeNumbered(const QString &table, Fields fields, const QString &numberText, EntryMode mode)
{
    const bool adding = mode == EntryMode::Add;
    const PriceTable &priceTable = *findPriceTable(table);
    SaveOutcome outcome {adding ? SaveResult::Added : SaveResult::Modified};
    QSqlDatabase db = Database::shared();
    const int key = adding ? -1 : requireKey(numberText);
    requirePriceChanges(priceTable);
    writingPrices(priceTable, [&] {
        if (adding) {
            // The number read is the one written, whoever else writes meanwhile.
            inWriteTransaction(db, [&] {
                lockForNumbering(table, db);
                outcome.number = nextPriceNumber(table);
                fields.names.prepend(QStringLiteral("编号"));
                fields.values.prepend(outcome.number);
                insertRecord(table, fields);
            });
        } else {
            updateRecord(table, fields, QStringLiteral("编号"), key,
                QStringLiteral("%1中已没有编号为%2的记录").arg(priceTable.clearName).arg(key));
        }
    });
    return outcome;
}

} // namespace

int nextPriceNumber(const QString &table)
{
    const QVariant last = sqlScalar(QStringLiteral("SELECT MAX(编号) FROM ") + table);
    return last.isNull() ? 0 : last.toInt() + 1;
}

SaveOutcome saveProfile(const ProfileEntry &entry, EntryMode mode)
{
    const QString series = entry.series.trimmed();
    const QString name = entry.name.trimmed();
    const QString code = entry.code.trimmed();
    const QString weight = entry.weight.trimmed();
    const QString materialClass = entry.materialClass.trimmed();
    if (anyEmpty({series, name, materialClass, code, weight}))
        return {SaveResult::Incomplete};

    Fields fields;
    fields.set(QStringLiteral("系列"), series);
    fields.set(QStringLiteral("名称"), name);
    fields.set(QStringLiteral("代号"), code);
    fields.set(QStringLiteral("线重"), requireNumber(QStringLiteral("线重"), weight));
    fields.set(QStringLiteral("隔热"), entry.thermal ? 1 : 0);
    fields.set(QStringLiteral("材料类别"), materialClass);
    fields.setIfGiven(QStringLiteral("备注"), entry.remark.trimmed());
    return writeNumbered(QStringLiteral("lcName"), fields, entry.number, mode);
}

SaveOutcome saveAccessory(const AccessoryEntry &entry, EntryMode mode)
{
    const bool adding = mode == EntryMode::Add;
    const QString category = entry.category.trimmed();
    const QString name = entry.name.trimmed();
    const QString spec = entry.spec.trimmed();
    const QString unit = entry.unit.trimmed();
    const QString price = entry.price.trimmed();
    const QString discount = entry.discount.trimmed();
    if (anyEmpty({category, name, unit, price, discount, spec}))
        return {SaveResult::Incomplete};

    QSqlQuery same = sqlExec(QStringLiteral("SELECT 编号 FROM pjName WHERE 名称=? AND 规格=?"), {name, spec});
    const int self = adding ? -1 : requireKey(entry.number);
    while (same.next())
        if (adding || same.value(0).toInt() != self)
            return {SaveResult::Duplicate};

    Fields fields;
    fields.set(QStringLiteral("类别"), category);
    fields.set(QStringLiteral("名称"), name);
    fields.set(QStringLiteral("规格"), spec);
    fields.setIfGiven(QStringLiteral("技术要求"), entry.requirement.trimmed());
    fields.set(QStringLiteral("单位"), unit);
    fields.set(QStringLiteral("单价"), requireNumber(QStringLiteral("单价"), price));
    fields.set(QStringLiteral("折扣量"), requireNumber(QStringLiteral("折扣量"), discount));
    fields.setIfGiven(QStringLiteral("备注"), entry.remark.trimmed());
    return writeNumbered(QStringLiteral("pjName"), fields, entry.number, mode);
}

SaveOutcome saveGlass(const GlassEntry &entry, EntryMode mode)
{
    const QString name = entry.name.trimmed();
    const QString price = entry.price.trimmed();
    const QString discount = entry.discount.trimmed();
    if (anyEmpty({name, price, discount}))
        return {SaveResult::Incomplete};

    Fields fields;
    fields.set(QStringLiteral("名称"), name);
    fields.set(QStringLiteral("单价"), requireNumber(QStringLiteral("单价"), price));
    fields.set(QStringLiteral("折扣量"), requireNumber(QStringLiteral("折扣量"), discount));
    fields.setIfGiven(QStringLiteral("备注"), entry.remark.trimmed());
    return writeNumbered(QStringLiteral("blName"), fields, entry.number, mode);
}

SaveOutcome saveFee(const FeeEntry &entry, EntryMode mode, const QString &loadedName)
{
    const bool adding = mode == EntryMode::Add;
    const QString name = entry.name.trimmed();
    const QString perArea = entry.perArea.trimmed();
    const QString percent = entry.percent.trimmed();
    if (name.isEmpty() || (perArea.isEmpty() && percent.isEmpty()))
        return {SaveResult::Incomplete};

    Fields fields;
    fields.set(QStringLiteral("费用名称"), name);
    if (!perArea.isEmpty())
        fields.set(QStringLiteral("费用量"), requireNumber(QStringLiteral("平米单价"), perArea));
    if (!percent.isEmpty())
        fields.set(QStringLiteral("百分比"), requireNumber(QStringLiteral("百分比"), percent));

    // The name is the key: a second fee of the same name would be refused by
    // the database in words nobody understands. Names that differ in letter
    // case only count as the same, as all key texts do.
    const bool renaming = adding || name != loadedName;
    QString others = QStringLiteral("SELECT COUNT(*) FROM FyTable WHERE 费用名称=? COLLATE NOCASE");
    QVariantList values {name};
    if (!adding) {
        others += QStringLiteral(" AND 费用名称<>?");
        values.append(loadedName);
    }
    if (renaming && sqlScalar(others, values).toInt() > 0)
        throw Error(QStringLiteral("费用表中已有名为“%1”的费用").arg(name));

    SaveOutcome outcome {adding ? SaveResult::Added : SaveResult::Modified};
    outcome.feeName = name;
    const PriceTable &fees = *findPriceTable(QStringLiteral("FyTable"));
    requirePriceChanges(fees);
    try {
        writingPrices(fees, [&] {
            if (adding)
                insertRecord(QStringLiteral("FyTable"), fields);
            else
                updateRecord(QStringLiteral("FyTable"), fields, QStringLiteral("费用名称"), loadedName,
                    QStringLiteral("费用表中已没有名为“%1”的费用").arg(loadedName));
        });
    } catch (const DatabaseError &e) {
        // Another workstation added the name in the meantime.
        if (e.isUniqueViolation())
            throw Error(QStringLiteral("费用表中已有名为“%1”的费用").arg(name));
        throw;
    }
    return outcome;
}

} // namespace tarvex
