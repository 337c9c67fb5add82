#include "core/rawdata/workingtables.h"

#include "core/common/db/sqlitestatement.h"
#include "core/common/error.h"

namespace tarvex {

namespace {

// One prepared statement reused for every row of a table.
class Insert {
public:
    Insert(const QSqlDatabase &db, const QString &sql)
        : m_statement(db, sql)
    {
    }

    template <typename... Values> void run(const Values &...values)
    {
        int i = 1;
        (m_statement.bind(i++, values), ...);
        m_statement.execute();
    }

private:
    SqliteStatement m_statement;
};

// The four inserts of a load, one per record type.
class WorkingInserts {
public:
    explicit WorkingInserts(const QSqlDatabase &db)
        : m_lc(db, QStringLiteral("INSERT INTO LcTemp (ID,代号,长度) VALUES(?,?,?)"))
        , m_bl(db, QStringLiteral("INSERT INTO BlTemp (ID,名称,面积) VALUES(?,?,?)"))
        , m_pj(db, QStringLiteral("INSERT INTO PjTemp (ID,名称,规格,技术要求,数量) VALUES(?,?,?,?,?)"))
        , m_mj(db, QStringLiteral("INSERT INTO MjTemp (ID,门窗系列,窗号,框面积,洞口面积) VALUES(?,?,?,?,?)"))
    {
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
    Insert m_lc;
    Insert m_bl;
    Insert m_pj;
    Insert m_mj;
};

void clearWorkingTables(const QSqlDatabase &db)
{
    for (const char *table : {"LcTemp", "BlTemp", "PjTemp", "MjTemp"})
        sqlExec(QStringLiteral("DELETE FROM ") + QLatin1String(table), {}, db);
}

} // namespace

void replaceWorkingTables(const RawData &data, QSqlDatabase db)
{
    if (!db.isOpen())
        throw Error(QStringLiteral("数据库未打开"));
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
    });
}

RawDataCounts loadRawDataFile(const QString &path, QSqlDatabase db, const XdtProgress &progress)
{
    if (!db.isOpen())
        throw Error(QStringLiteral("数据库未打开"));
    RawDataCounts counts;
    inTransaction(db, [&] {
        clearWorkingTables(db);
        WorkingInserts inserts(db);
        readXdtFile(
            path, [&](const XdtRecord &r) { inserts.add(r); }, progress);
        counts = inserts.counts;
    });
    return counts;
}

} // namespace tarvex
