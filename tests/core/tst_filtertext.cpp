#include "common/filtertext.h"

#include <QTest>

using namespace tarvex;

class TestFilterText : public QObject {
    Q_OBJECT

private slots:
    void buildsReplacesAndRemovesConditions()
    {
        QString f = updateFilterText(QString(), "系列", "A");
        QCOMPARE(f, QString(" WHERE 系列='A'"));
        f = updateFilterText(f, "名称", "B");
        QCOMPARE(f, QString(" WHERE 系列='A' AND 名称='B'"));
        // A later choice on 系列 replaces it and drops what came after it.
        QCOMPARE(updateFilterText(f, "系列", "C"), QString(" WHERE 系列='C'"));
        // "全部" on the second condition keeps the first, with its trailing blank.
        QCOMPARE(updateFilterText(f, "名称", "全部"), QString(" WHERE 系列='A' "));
        // "全部" on the first condition, or on a column not filtered, removes everything.
        QCOMPARE(updateFilterText(f, "系列", "全部"), QString());
        QCOMPARE(updateFilterText(f, "代号", "全部"), QString());
        QCOMPARE(updateFilterText(QString(), "代号", "全部"), QString());
        // A choice after "全部" extends the kept text.
        QCOMPARE(updateFilterText(" WHERE 系列='A' ", "名称", "D"), QString(" WHERE 系列='A'  AND 名称='D'"));
    }

    void writesValuesAsTheirLiterals()
    {
        QCOMPARE(updateFilterText(QString(), "编号", "12"), QString(" WHERE 编号=12"));
        QCOMPARE(updateFilterText(QString(), "长度", "1.25"), QString(" WHERE 长度=1.25"));
        QCOMPARE(updateFilterText(QString(), "隔热", "True"), QString(" WHERE 隔热=True"));
        QCOMPARE(updateFilterText(QString(), "隔热", "False"), QString(" WHERE 隔热=False"));
        QCOMPARE(updateFilterText(QString(), "窗号", "C1'A"), QString(" WHERE 窗号='C1''A'"));
        QCOMPARE(updateFilterText(QString(), "窗号", "12a"), QString(" WHERE 窗号='12a'"));
        QCOMPARE(updateFilterText(QString(), "备注", "true"), QString(" WHERE 备注='true'"));
    }

    void aColumnNameInsideAValueIsNotACondition()
    {
        const QString f = " WHERE 代号='窗号=1' AND 窗号='C1'";
        QCOMPARE(updateFilterText(f, "窗号", "C2"), QString(" WHERE 代号='窗号=1' AND 窗号='C2'"));
        QCOMPARE(updateFilterText(" WHERE 代号='x AND 名称=y'", "名称", "B"),
            QString(" WHERE 代号='x AND 名称=y' AND 名称='B'"));
    }
};

QTEST_GUILESS_MAIN(TestFilterText)
#include "tst_filtertext.moc"
