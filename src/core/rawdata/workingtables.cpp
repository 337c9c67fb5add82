#include "rawdata/workingtables.h"

#include "common/error.h"
#include "rawdata/sqlitestatement.h"
#include "rawdata/xdtreader.h"

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

void insertRows(const QSqlDatabase &db, const RawData &data)
{
    Insert lc(db, QStringLiteral("INSERT INTO LcTemp (ID,代号,长度) VALUES(?,?,?)"));
    for (const ProfileRecord &r : data.profiles)
        lc.run(r.id, r.code, r.length);
    Insert bl(db, QStringLiteral("INSERT INTO BlTemp (ID,名称,面积) VALUES(?,?,?)"));
    for (const GlassRecord &r : data.glass)
        bl.run(r.id, r.name, r.area);
    Insert pj(db, QStringLiteral("INSERT INTO PjTemp (ID,名称,规格,技术要求,数量) VALUES(?,?,?,?,?)"));
    for (const AccessoryRecord &r : data.accessories)
        pj.run(r.id, r.name, r.spec, r.requirement, r.quantity);
    Insert mj(db, QStringLiteral("INSERT INTO MjTemp (ID,门窗系列,窗号,框面积,洞口面积) VALUES(?,?,?,?,?)"));
    for (const WindowRecord &r : data.windows)
        mj.run(r.id, r.series, r.window, r.frameArea, r.openingArea);
}

} // namespace

void replaceWorkingTables(const RawData &data, QSqlDatabase db)
{
    if (!db.isOpen())
        throw Error(QStringLiteral("数据库未打开"));
    inTransaction(db, [&] {
        for (const char *table : {"LcTemp", "BlTemp", "PjTemp", "MjTemp"})
            sqlExec(QStringLiteral("DELETE FROM ") + QLatin1String(table), {}, db);
        insertRows(db, data);
    });
}

RawData loadRawDataFile(const QString &path, QSqlDatabase db)
{
    RawData data = readRawDataFile(path);
    replaceWorkingTables(data, db);
    return data;
}

} // namespace tarvex
