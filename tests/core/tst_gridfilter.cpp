#include "common/database.h"
#include "common/gridfilter.h"
#include "testsupport.h"

#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// The filter after choosing each "column=value" in turn.
GridFilter chosen(std::initializer_list<std::pair<const char *, const char *>> choices)
{
    GridFilter f;
    for (const auto &[column, value] : choices)
        f.choose(QString::fromUtf8(column), QString::fromUtf8(value));
    return f;
}

int countWhere(const QString &source, const GridFilter &f)
{
    return sqlScalar("SELECT COUNT(*) FROM " + source + f.sql(), f.values()).toInt();
}

} // namespace

class TestGridFilter : public QObject {
    Q_OBJECT

private slots:
    void choicesReplaceAndDropLaterConditions()
    {
        const struct {
            GridFilter filter;
            const char *text;
        } cases[] = {
            {chosen({{"系列", "A"}}), " WHERE 系列='A'"},
            {chosen({{"系列", "A"}, {"名称", "B"}}), " WHERE 系列='A' AND 名称='B'"},
            {chosen({{"系列", "A"}, {"名称", "B"}, {"系列", "C"}}), " WHERE 系列='C'"},
            {chosen({{"系列", "A"}, {"名称", "B"}, {"名称", "全部"}}), " WHERE 系列='A'"},
            {chosen({{"系列", "A"}, {"名称", "B"}, {"系列", "全部"}}), ""},
            {chosen({{"系列", "A"}, {"代号", "全部"}}), ""},
            {chosen({{"编号", "12"}, {"长度", "1.25"}}), " WHERE 编号=12 AND 长度=1.25"},
            {chosen({{"隔热", "True"}}), " WHERE 隔热=True"},
            // Texts stay texts whatever they look like; quotes are doubled.
            {chosen({{"窗号", "01"}, {"备注", "True"}}), " WHERE 窗号='01' AND 备注='True'"},
            {chosen({{"窗号", "C1'A"}}), " WHERE 窗号='C1''A'"},
            // A column name inside a value is no condition.
            {chosen({{"代号", "窗号=1"}, {"窗号", "C1"}, {"窗号", "C2"}}), " WHERE 代号='窗号=1' AND 窗号='C2'"},
        };
        for (const auto &c : cases) {
            QCOMPARE(c.filter.text(), QString::fromUtf8(c.text));
            QCOMPARE(c.filter.sql().count('?'), c.filter.values().size());
        }
    }

    void numberLikeTextsBlanksAndLetterCaseAreFound()
    {
        TestHome home;
        sqlExec("INSERT INTO MjTemp VALUES (1,'S60','01',1,1),(2,'S60','1.50',1,1),(3,'S60','1e3',2,1),"
                "(4,'S60',NULL,1.5,1),(5,'S60','',1,1)");
        sqlExec("INSERT INTO LcTemp VALUES (1,'0601',1.5),(2,'0601',1.50),(3,'601',1.25)");
        sqlExec(
            "INSERT INTO lcName VALUES (1,'S60','框','0601',1.2,1,'铝材','True'),(2,'S60','扇','601',1,0,'铝材',NULL)");
        const struct {
            const char *source, *column, *value;
            int rows;
        } cases[] = {
            {"MjTemp", "窗号", "01", 1},
            {"MjTemp", "窗号", "1.50", 1},
            {"MjTemp", "窗号", "1e3", 1},
            {"MjTemp", "窗号", "", 2}, // Null and '' look alike
            {"MjTemp", "门窗系列", "S60", 5},
            {"MjTemp", "框面积", "1.5", 1},
            {"MjTemp", "ID", "3", 1},
            {"PriceLc", "代号", "0601", 2},
            {"PriceLc", "长度", "1.5", 2},
            {"PriceLc", "隔热", "True", 2},
            {"PriceLc", "隔热", "False", 1},
            {"lcName", "备注", "True", 1},
            {"lcName", "代号", "601", 1},
        };
        for (const auto &c : cases) {
            GridFilter f;
            f.choose(QString::fromUtf8(c.column), QString::fromUtf8(c.value));
            QVERIFY2(countWhere(QString::fromUtf8(c.source), f) == c.rows, qPrintable(f.text()));
        }
        // The list offers one blank entry for Null and ''; every entry finds rows.
        GridFilter none;
        const QStringList codes = filterListValues("MjTemp", "窗号", none);
        QCOMPARE(codes, (QStringList {"", "01", "1.50", "1e3"}));
        QCOMPARE(filterListValues("PriceLc", "隔热", none), (QStringList {"False", "True"}));
        GridFilter series = chosen({{"门窗系列", "S60"}, {"框面积", "1"}});
        QCOMPARE(filterListValues("MjTemp", "窗号", series), (QStringList {"", "01", "1.50"}));
    }
};

QTEST_GUILESS_MAIN(TestGridFilter)
#include "tst_gridfilter.moc"
