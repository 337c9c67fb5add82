#include "core/offer/offerregister.h"

#include "core/common/db/dialect.h"
#include "core/common/error.h"
#include "core/offer/offernumber.h"

#include <QSqlError>
#include <QSqlQuery>

namespace tarvex {

namespace {

const QString kWindowScope = QStringLiteral("按窗号");
const QString kSeriesScope = QStringLiteral("按门窗系列");
const QString kFrameArea = QStringLiteral("框面积");
const QString kOpeningArea = QStringLiteral("洞口面积");

QString scopeText(OfferScope scope)
{
    return scope == OfferScope::Series ? kSeriesScope : kWindowScope;
}

QString discountKindText(OfferDiscount::Kind kind)
{
    switch (kind) {
    case OfferDiscount::Kind::Percent:
        return QStringLiteral("比例");
    case OfferDiscount::Kind::Amount:
        return QStringLiteral("金额");
    case OfferDiscount::Kind::None:
        break;
    }
    return QString();
}

QVariant money(Fen fen)
{
    return toYuan(fen);
}

QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(value);
}

// The counter of a slot moved on to a number no offer has; the counter row
// is written, so the number is used even when its offer is deleted later.
QString takeNumber(const OfferNumberSlot &slot, QSqlDatabase db)
{
    lockForNumbering(QStringLiteral("bjOfferCount"), db);
    const QVariant stored = sqlScalar(QStringLiteral("SELECT 序号 FROM bjOfferCount WHERE 编号键=?"), {slot.key}, db);
    int counter = stored.isValid() ? stored.toInt() : 0;
    QString number;
    // A number another pattern gave already is passed over.
    do {
        number = slot.number(++counter);
    } while (sqlScalar(QStringLiteral("SELECT COUNT(*) FROM bjOffer WHERE 编号=?"), {number}, db).toInt() > 0);
    if (stored.isValid())
        sqlExec(QStringLiteral("UPDATE bjOfferCount SET 序号=? WHERE 编号键=?"), {counter, slot.key}, db);
    else
        sqlExec(QStringLiteral("INSERT INTO bjOfferCount (编号键,序号) VALUES (?,?)"), {slot.key, counter}, db);
    return number;
}

void insertOffer(const RecordedOffer &recorded, QSqlDatabase db)
{
    const Offer &o = recorded.offer;
    QSqlQuery line(db);
    if (!line.prepare(QStringLiteral("INSERT INTO bjOfferLine (编号,行号,窗号,门窗系列,樘数,面积,单价,金额) "
                                     "VALUES (?,?,?,?,?,?,?,?)")))
        throw Error(line.lastError().text());
    // The lines go in by one prepared statement, inside the issuing transaction.
    for (int i = 0; i < o.lines.size(); ++i) {
        const OfferLine &l = o.lines.at(i);
        const QVariantList values {
            o.number, i + 1, text(l.window), text(l.series), l.count, l.area, l.unitPrice, money(l.amount)};
        for (int k = 0; k < values.size(); ++k)
            line.bindValue(k, values.at(k));
        if (!line.exec())
            throw Error(line.lastError().text());
    }
    // A first offer names no first offer.
    const QVariant first = o.revision == 0 ? QVariant(QMetaType::fromType<QString>()) : QVariant(o.revisionOf);
    sqlExec(QStringLiteral("INSERT INTO bjOffer (编号,日期,客户,项目,范围,合计,优惠,税金,总计,原编号,修订,原总计,"
                           "有效期,源文件,面积依据,主材损耗,附件损耗,玻璃损耗,主材单价,优惠方式,优惠值,税率,"
                           "出具时间,报价单) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        {o.number, o.date.toString(Qt::ISODate), text(o.customer), text(o.project), scopeText(o.scope),
            money(o.totals.subtotal), money(o.totals.discount), money(o.totals.tax), money(o.totals.total), first,
            o.revision, o.previousTotal ? money(*o.previousTotal) : QVariant(QMetaType::fromType<double>()),
            o.validityDays, text(o.sourceFile),
            o.areaBasis == QuoteOptions::AreaBasis::Opening ? kOpeningArea : kFrameArea, text(o.lossLc), text(o.lossPj),
            text(o.lossBl), text(o.lcPriceString), discountKindText(o.discount.kind), o.discount.value,
            o.taxPercent ? QVariant(*o.taxPercent) : QVariant(QMetaType::fromType<double>()),
            recorded.issuedAt.toString(Qt::ISODate), recorded.pdf},
        db);
}

RecordedOffer issueWith(Offer offer, const OfferNumberSlot &slot, const OfferRenderer &render, QSqlDatabase db)
{
    RecordedOffer recorded;
    inWriteTransaction(db, [&] {
        offer.number = takeNumber(slot, db);
        recorded.offer = offer;
        recorded.issuedAt = QDateTime::currentDateTime();
        recorded.pdf = render(recorded.offer);
        insertOffer(recorded, db);
    });
    return recorded;
}

OfferDiscount::Kind discountKindFrom(const QString &text)
{
    if (text == discountKindText(OfferDiscount::Kind::Percent))
        return OfferDiscount::Kind::Percent;
    if (text == discountKindText(OfferDiscount::Kind::Amount))
        return OfferDiscount::Kind::Amount;
    return OfferDiscount::Kind::None;
}

// Escapes the wildcards of LIKE in a text searched for anywhere.
QString containing(const QString &part)
{
    QString escaped = part;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

} // namespace

RecordedOffer issueOffer(Offer offer, const QString &pattern, const OfferRenderer &render, QSqlDatabase db)
{
    if (!offer.date.isValid())
        offer.date = QDate::currentDate();
    offer.revision = 0;
    offer.revisionOf.clear();
    offer.previousTotal.reset();
    return issueWith(offer, offerNumberSlot(pattern, offer.date), render, db);
}

RecordedOffer issueRevision(Offer revised, const QString &replacedNumber, const OfferRenderer &render, QSqlDatabase db)
{
    if (!revised.date.isValid())
        revised.date = QDate::currentDate();
    RecordedOffer recorded;
    inWriteTransaction(db, [&] {
        QSqlQuery replaced = sqlExec(
            QStringLiteral("SELECT 编号,原编号,总计 FROM bjOffer WHERE 编号=?"), {replacedNumber.trimmed()}, db);
        if (!replaced.next())
            throw Error(QStringLiteral("没有编号为 %1 的报价").arg(replacedNumber.trimmed()));
        const QString first = replaced.value(1).isNull() ? replaced.value(0).toString() : replaced.value(1).toString();
        revised.revisionOf = first;
        revised.previousTotal = toFen(replaced.value(2).toDouble());
        const OfferNumberSlot slot = revisionSlot(first);
        revised.number = takeNumber(slot, db);
        revised.revision = revised.number.mid(slot.before.size()).toInt();
        recorded.offer = revised;
        recorded.issuedAt = QDateTime::currentDateTime();
        recorded.pdf = render(recorded.offer);
        insertOffer(recorded, db);
    });
    return recorded;
}

std::optional<RecordedOffer> readOffer(const QString &number, QSqlDatabase db)
{
    const ReadTransaction snapshot(db);
    QSqlQuery q = sqlExec(QStringLiteral("SELECT 编号,日期,客户,项目,范围,合计,优惠,税金,总计,原编号,修订,原总计,"
                                         "有效期,源文件,面积依据,主材损耗,附件损耗,玻璃损耗,主材单价,优惠方式,"
                                         "优惠值,税率,出具时间,报价单 FROM bjOffer WHERE 编号=?"),
        {number.trimmed()}, db);
    if (!q.next())
        return std::nullopt;
    RecordedOffer r;
    Offer &o = r.offer;
    o.number = q.value(0).toString();
    o.date = QDate::fromString(q.value(1).toString(), Qt::ISODate);
    o.customer = q.value(2).toString();
    o.project = q.value(3).toString();
    o.scope = q.value(4).toString() == kSeriesScope ? OfferScope::Series : OfferScope::Window;
    o.totals = {toFen(q.value(5).toDouble()), toFen(q.value(6).toDouble()), toFen(q.value(7).toDouble()),
        toFen(q.value(8).toDouble())};
    o.revision = q.value(10).toInt();
    o.revisionOf = q.value(9).toString();
    if (!q.value(11).isNull())
        o.previousTotal = toFen(q.value(11).toDouble());
    o.validityDays = q.value(12).toInt();
    o.sourceFile = q.value(13).toString();
    o.areaBasis
        = q.value(14).toString() == kOpeningArea ? QuoteOptions::AreaBasis::Opening : QuoteOptions::AreaBasis::Frame;
    o.lossLc = q.value(15).toString();
    o.lossPj = q.value(16).toString();
    o.lossBl = q.value(17).toString();
    o.lcPriceString = q.value(18).toString();
    o.discount = {discountKindFrom(q.value(19).toString()), q.value(20).toDouble()};
    if (!q.value(21).isNull())
        o.taxPercent = q.value(21).toDouble();
    r.issuedAt = QDateTime::fromString(q.value(22).toString(), Qt::ISODate);
    r.pdf = q.value(23).toByteArray();

    QSqlQuery lines = sqlExec(QStringLiteral("SELECT 窗号,门窗系列,樘数,面积,单价,金额 FROM bjOfferLine "
                                             "WHERE 编号=? ORDER BY 行号"),
        {o.number}, db);
    while (lines.next()) {
        o.lines.append({lines.value(0).toString(), lines.value(1).toString(), lines.value(2).toInt(),
            lines.value(3).toDouble(), lines.value(4).toDouble(), toFen(lines.value(5).toDouble())});
    }
    return r;
}

void deleteOffer(const QString &number, QSqlDatabase db)
{
    inWriteTransaction(db, [&] {
        const QVariant stored = sqlScalar(QStringLiteral("SELECT 编号 FROM bjOffer WHERE 编号=?"), {number}, db);
        if (!stored.isValid())
            throw Error(QStringLiteral("没有编号为 %1 的报价").arg(number));
        sqlExec(QStringLiteral("DELETE FROM bjOffer WHERE 编号=?"), {stored}, db);
        sqlExec(QStringLiteral("DELETE FROM bjOfferLine WHERE 编号=?"), {stored}, db);
    });
}

QStringList offerListColumns()
{
    return {QStringLiteral("编号"), QStringLiteral("日期"), QStringLiteral("客户"), QStringLiteral("项目"),
        QStringLiteral("范围"), QStringLiteral("合计"), QStringLiteral("优惠"), QStringLiteral("税金"),
        QStringLiteral("总计"), QStringLiteral("原编号")};
}

OfferListQuery offerListQuery(const OfferFilter &filter)
{
    const QStringList columns = offerListColumns();
    QStringList conditions;
    OfferListQuery query;
    if (!filter.customer.trimmed().isEmpty()) {
        conditions.append(QStringLiteral("客户 LIKE ? ESCAPE '\\'"));
        query.values.append(containing(filter.customer.trimmed()));
    }
    if (!filter.project.trimmed().isEmpty()) {
        conditions.append(QStringLiteral("项目 LIKE ? ESCAPE '\\'"));
        query.values.append(containing(filter.project.trimmed()));
    }
    if (filter.from.isValid()) {
        conditions.append(QStringLiteral("日期 >= ?"));
        query.values.append(filter.from.toString(Qt::ISODate));
    }
    if (filter.to.isValid()) {
        conditions.append(QStringLiteral("日期 <= ?"));
        query.values.append(filter.to.toString(Qt::ISODate));
    }
    const QString sort = columns.value(filter.sortColumn, columns.first());
    const QString direction = filter.descending ? QStringLiteral(" DESC") : QString();
    query.sql = QStringLiteral("SELECT ") + columns.join(QLatin1Char(',')) + QStringLiteral(" FROM bjOffer")
        + (conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND ")))
        + QStringLiteral(" ORDER BY ") + sort + direction
        + (sort == columns.first() ? QString() : QStringLiteral(",编号") + direction);
    return query;
}

} // namespace tarvex
