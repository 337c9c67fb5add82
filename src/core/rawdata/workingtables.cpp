#include "core/rawdata/workingtables.h"

#include "core/common/db/bulkrows.h"
#include "core/common/db/dialect.h"
#include "core/common/db/engine.h"
#include "core/common/error.h"

namespace tarvex {

namespace {

const QStringList kWorkingTables
    = {QStringLiteral("LcTemp"), QStringLiteral("BlTemp"), QStringLiteral("PjTemp"), QStringLiteral("MjTemp")};

// One bulk insert for every row of a table. On a server the rows are also
// numbered here, 1, 2, 3 ... in the order they come, as the table emptied with
// RESTART IDENTITY would number them, but without its counter's look-up at
// every row (a third of the time the server takes to store them); the
// counter goes on after them once the rows are in.
class Insert {
public:
    Insert(const QSqlDatabase &db, const QString &table, const QStringList &columns)
        : m_db(db)
        , m_table(table)
        , m_numbered(onServer(db))
        , m_insert(db, table, m_numbered ? columns + QStringList {QStringLiteral("rowid")} : columns)
    {
    }

    template <typename... Values> void run(const Values &...values)
    {
        int i = 1;
        (m_insert.bind(i++, values), ...);
        if (m_numbered)
            m_insert.bind(i, QVariant(++m_rows));
        m_insert.execute();
    }

    void finish() { m_insert.finish(); }

    void continueRowNumbering()
    {
        if (m_rows > 0)
            continueRowNumbers(m_table, QStringLiteral("rowid"), m_db);
    }

private:
    QSqlDatabase m_db;
    QString m_table;
    bool m_numbered;
    qlonglong m_rows = 0;
    BulkInsert m_insert;
};

// The four inserts of a load, one per record type.
class WorkingInserts {
public:
    explicit WorkingInserts(const QSqlDatabase &db)
        : m_indexes(db, kWorkingTables)
        , m_lc(db, QStringLiteral("LcTemp"), {QStringLiteral("ID"), QStringLiteral("代号"), QStringLiteral("长度")})
        , m_bl(db, QStringLiteral("BlTemp"), {QStringLiteral("ID"), QStringLiteral("名称"), QStringLiteral("面积")})
        , m_pj(db, QStringLiteral("PjTemp"),
              {QStringLiteral("ID"), QStringLiteral("名称"), QStringLiteral("规格"), QStringLiteral("技术要求"),
                  QStringLiteral("数量")})
        , m_mj(db, QStringLiteral("MjTemp"),
              {QStringLiteral("ID"), QStringLiteral("门窗系列"), QStringLiteral("窗号"), QStringLiteral("框面积"),
                  QStringLiteral("洞口面积")})
    {
    }

    // What is still on its way to the server goes before the commit.
    void finish()
    {
        for (Insert *insert : {&m_lc, &m_bl, &m_pj, &m_mj})
            insert->finish();
        m_indexes.rebuild();
        for (Insert *insert : {&m_lc, &m_bl, &m_pj, &m_mj})
            insert->continueRowNumbering();
    }

    void add(const XdtRecord &r)
    {
        switch (r.type) {
        case 1:
            m_lc.run(r.id, r.texts[0], r.numbers[0]);
            ++counts.profiles;
            break;
        case 2:
            m_bl.run(r.id, r.texts[0], r.numbers[0]);
            ++counts.glass;
            break;
        case 3:
            m_pj.run(r.id, r.texts[0], r.texts[1], r.texts[2], r.numbers[0]);
            ++counts.accessories;
            break;
        case 4:
            m_mj.run(r.id, r.texts[0], r.texts[1], r.numbers[0], r.numbers[1]);
            ++counts.windows;
            break;
        }
    }

    RawDataCounts counts;

private:
    IndexesSetAside m_indexes;
    Insert m_lc;
    Insert m_bl;
    Insert m_pj;
    Insert m_mj;
};

void clearWorkingTables(const QSqlDatabase &db)
{
    // A server empties its tables at once (and within the transaction);
    // the rows of the new project then take the row numbers from 1.
    if (onServer(db)) {
        sqlExec(QStringLiteral("TRUNCATE %1 RESTART IDENTITY").arg(kWorkingTables.join(QStringLiteral(", "))), {}, db);
        return;
    }
    for (const QString &table : kWorkingTables)
        sqlExec(QStringLiteral("DELETE FROM ") + table, {}, db);
}

} // namespace

void replaceWorkingTables(const RawData &data, QSqlDatabase db)
{
    inTransaction(db, [&] {
        clearWorkingTables(db);
        WorkingInserts inserts(db);
        XdtRecord r;
        r.type = 1;
        for (const ProfileRecord &p : data.profiles) {
            r.id = p.id;
            r.texts[0] = p.code;
            r.numbers[0] = p.length;
            inserts.add(r);
        }
        r.type = 2;
        for (const GlassRecord &g : data.glass) {
            r.id = g.id;
            r.texts[0] = g.name;
            r.numbers[0] = g.area;
            inserts.add(r);
        }
        r.type = 3;
        for (const AccessoryRecord &a : data.accessories) {
            r.id = a.id;
            r.texts = {a.name, a.spec, a.requirement};
            r.numbers[0] = a.quantity;
            inserts.add(r);
        }
        r.type = 4;
        for (const WindowRecord &w : data.windows) {
            r.id = w.id;
            r.texts = {w.series, w.window, QStringView()};
            r.numbers = {w.frameArea, w.openingArea};
            inserts.add(r);
        }
        inserts.finish();
    });
}

RawDataCounts loadRawDataFile(const QString &path, QSqlDatabase db, const XdtProgress &progress)
{
    RawDataCounts counts;
    inTransaction(db, [&] {
        clearWorkingTables(db);
        WorkingInserts inserts(db);
        readXdtFile(
            path, [&](const XdtRecord &r) { inserts.add(r); }, progress);
        inserts.finish();
        counts = inserts.counts;
    });
    return counts;
}

} // namespace tarvex
