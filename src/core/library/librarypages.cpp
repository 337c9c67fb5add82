#include "core/library/librarypages.h"

#include "core/common/db/database.h"
#include "core/common/error.h"

#include <QSqlQuery>

namespace tarvex {

namespace {

// Records whose series is the text; an empty series also matches Null.
QString seriesCondition(const QString &series)
{
    return series.isEmpty() ? QStringLiteral("(mc = ? OR mc IS NULL)") : QStringLiteral("mc = ?");
}

int countSeries(
    QSqlDatabase db, const QString &series, const QString &extra = QString(), const QVariantList &values = {})
{
    return sqlScalar(QStringLiteral("SELECT COUNT(*) FROM data WHERE ") + seriesCondition(series) + extra,
        QVariantList {series} + values, db)
        .toInt();
}

} // namespace

void SeriesPager::open(QSqlDatabase db, const QString &series)
{
    m_series = series;
    m_records = countSeries(db, series);
    m_pageCount = pageCountFor(m_records);
    m_curPage = m_pageCount > 0 ? 1 : 0;
}

int SeriesPager::targetPage(Move move) const
{
    switch (move) {
    case Move::First:
        return 1;
    case Move::Previous:
        return m_curPage - 1;
    case Move::Next:
        return m_curPage + 1;
    case Move::Last:
        return m_pageCount;
    }
    return m_curPage;
}

void SeriesPager::setPage(int page)
{
    if (page < 1 || page > m_pageCount)
        throw Error(QStringLiteral("门窗系列 %1 没有第%2页 (共%3页)").arg(m_series).arg(page).arg(m_pageCount));
    m_curPage = page;
}

QVector<LibraryItem> SeriesPager::readPage(QSqlDatabase db) const
{
    QVector<LibraryItem> items;
    if (m_curPage < 1)
        return items;
    // The page's IDs come from the series index alone; only their rows are read.
    QSqlQuery query = sqlExec(QStringLiteral("SELECT ID, xl, bmp, bz FROM data WHERE ID IN (SELECT ID FROM data WHERE ")
            + seriesCondition(m_series) + QStringLiteral(" ORDER BY ID LIMIT ? OFFSET ?) ORDER BY ID"),
        {m_series, kPageSize, (m_curPage - 1) * kPageSize}, db);
    while (query.next())
        items.append({query.value(0).toInt(), query.value(1).toString(), query.value(3).toString(),
            query.value(2).toByteArray()});
    return items;
}

int SeriesPager::pageOfRecord(QSqlDatabase db, const QString &series, qint32 id)
{
    if (countSeries(db, series, QStringLiteral(" AND ID = ?"), {id}) == 0)
        return 0;
    return countSeries(db, series, QStringLiteral(" AND ID < ?"), {id}) / kPageSize + 1;
}

qint32 SeriesPager::firstRecordNamed(QSqlDatabase db, const QString &series, const QString &name)
{
    return sqlScalar(QStringLiteral("SELECT MIN(ID) FROM data WHERE ") + seriesCondition(series)
            + QStringLiteral(" AND COALESCE(xl, '') = ?"),
        {series, name}, db)
        .toInt();
}

} // namespace tarvex
