#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

namespace tarvex {

// One preview slot's record.
struct LibraryItem {
    qint32 id = 0;
    QString name; // xl: the slot's caption
    QString description; // bz: the tooltip ("" when Null)
    QByteArray picture; // bmp
};

// The records of one series, twenty to a page in ID order. Only the page
// shown is read; the page count comes from a count of the series' records.
class SeriesPager {
public:
    static constexpr int kPageSize = 20;
    enum class Move { First, Previous, Next, Last };

    // Opens the series at page 1 (page 0 of 0 when it has no records).
    void open(QSqlDatabase db, const QString &series);

    const QString &series() const { return m_series; }
    int recordCount() const { return m_records; }
    int pageCount() const { return m_pageCount; }
    int curPage() const { return m_curPage; }

    // The page a button leads to: 首页, 前一页, 后一页, 尾页.
    int targetPage(Move move) const;
    void setPage(int page);
    // 首页/前一页 are usable after page 1, 后一页/尾页 before the last page.
    bool canMoveBack() const { return m_curPage > 1; }
    bool canMoveOn() const { return m_curPage < m_pageCount; }

    // The records of the current page (at most kPageSize).
    QVector<LibraryItem> readPage(QSqlDatabase db) const;

    // The page of the series that shows a record (0 when it is not there).
    static int pageOfRecord(QSqlDatabase db, const QString &series, qint32 id);
    // The first record of the series with this template name (0 for none).
    static qint32 firstRecordNamed(QSqlDatabase db, const QString &series, const QString &name);
    static int pageCountFor(int records) { return (records + kPageSize - 1) / kPageSize; }

private:
    QString m_series;
    int m_records = 0;
    int m_pageCount = 0;
    int m_curPage = 0;
};

} // namespace tarvex
