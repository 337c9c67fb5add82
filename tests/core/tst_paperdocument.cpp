#include "core/quote/paperquotation.h"
#include "paperfixture.h"

#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

QStringList textsAt(const Page &page, double top)
{
    QStringList found;
    for (const PageText &t : page.texts) {
        if (qFuzzyCompare(t.top, top))
            found.append(t.text);
    }
    return found;
}

const PageText *findText(const Page &page, const QString &text)
{
    for (const PageText &t : page.texts) {
        if (t.text == text)
            return &t;
    }
    return nullptr;
}

bool hasRule(const Page &page, double y)
{
    for (const PageLine &l : page.lines) {
        if (qFuzzyCompare(l.y1, y) && qFuzzyCompare(l.y2, y) && qFuzzyCompare(l.x1, 0.6) && qFuzzyCompare(l.x2, 7.9))
            return true;
    }
    return false;
}

QVector<PageLine> verticals(const Page &page)
{
    QVector<PageLine> found;
    for (const PageLine &l : page.lines) {
        if (qFuzzyCompare(l.x1, l.x2))
            found.append(l);
    }
    return found;
}

// The nine vertical rules of a page: all from the same bottom up to top.
void checkVerticals(const Page &page, double bottom, double top)
{
    const QVector<PageLine> lines = verticals(page);
    QCOMPARE(lines.size(), 9);
    const double xs[] = {0.6, 1.15, 2.45, 3.75, 4.55, 5.35, 5.95, 6.95, 7.9};
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(lines[i].x1, xs[i]);
        QVERIFY2(qFuzzyCompare(lines[i].y1, bottom), qPrintable(QString::number(lines[i].y1)));
        QVERIFY2(qFuzzyCompare(lines[i].y2, top), qPrintable(QString::number(lines[i].y2)));
    }
}

// A text box's place and font as "left top width | size bold alignment".
QString box(const PageText *t)
{
    if (!t)
        return QStringLiteral("missing");
    return QStringLiteral("%1 %2 %3 | %4 %5 %6")
        .arg(t->left)
        .arg(t->top)
        .arg(t->width)
        .arg(t->fontSize)
        .arg(QLatin1String(t->bold ? "bold" : "plain"))
        .arg(t->alignment);
}

QString footer(int count, int k)
{
    return QStringLiteral("共%1页,第%2页    ").arg(count).arg(k);
}

} // namespace

class TestPaperDocument : public QObject {
    Q_OBJECT

private slots:
    void onePageQuotationLayout()
    {
        QuoteItem it = paperItem(QStringLiteral("报价总表"), 0);
        QuoteMaterialRow profile = paperMaterial(1, QuoteMaterialRow::Kind::Profile);
        profile.name = QStringLiteral("铝型材");
        profile.thermal = true;
        profile.unit = QStringLiteral("Kg/m2");
        profile.qty = 3.1416;
        QuoteMaterialRow glass = paperMaterial(2, QuoteMaterialRow::Kind::Glass);
        glass.spec.clear();
        glass.unit = QStringLiteral("m2/m2");
        QuoteMaterialRow accessory = paperMaterial(3);
        accessory.remark = QStringLiteral("不锈钢");
        it.materials = {profile, glass, accessory};
        QuoteRun r = paperRun({it});
        r.options.sign[0] = r.options.sign[1] = r.options.sign[2] = true;
        r.options.signText[0] = QStringLiteral("制表:");
        r.options.signText[1] = QStringLiteral("审核:");
        r.options.signText[2] = QStringLiteral("批准:");

        const PageDocument doc = buildPaperQuotation(r);
        QCOMPARE(doc.pages.size(), 1);
        const Page &page = doc.pages[0];

        // A four-character title keeps its four trailing blanks.
        const PageText *title = findText(page, QStringLiteral("报价总表    "));
        QCOMPARE(box(title), QStringLiteral("0.6 0.6 7.3 | 16 bold 3"));
        QCOMPARE(title->fontName, QStringLiteral("宋体"));
        QVERIFY(box(findText(page, QStringLiteral("面积:12.35  "))).endsWith(QStringLiteral("| 10 plain 4")));

        QCOMPARE(textsAt(page, 1.2),
            QStringList({"序号  ", "名称  ", "规格  ", "用量  ", "单位  ", "单价  ", "总价  ", "备注  "}));
        QCOMPARE(textsAt(page, 1.5), QStringList({"一 ", "直接材料费用      "}));
        QCOMPARE(textsAt(page, 1.8), QStringList({"1", "铝型材   ", "隔热材   ", "3.142", "Kg/m2", "12.500", "6.250"}));
        QCOMPARE(textsAt(page, 2.1), QStringList({"2", "执手2  ", "1.000", "m2/m2", "12.500", "12.500"}));
        QCOMPARE(textsAt(page, 2.4),
            QStringList({"3", "执手3  ", "HS-3", "1.500", "套/m2 ", "12.500", "18.750", "不锈钢   "}));
        QCOMPARE(textsAt(page, 2.7), QStringList({"二 ", "固定费用    "}));
        QCOMPARE(textsAt(page, 3.0), QStringList({"1", "管理费   ", "5.000%", "10.000"}));
        QCOMPARE(textsAt(page, 3.3), QStringList({"2", "安装费   ", "35.000", "35.000"}));
        QCOMPARE(textsAt(page, 3.6), QStringList({"单价  ", "245.000"}));
        QCOMPARE(textsAt(page, 3.9), QStringList({"总价  ", "3025.750"}));

        QCOMPARE(textsAt(page, 4.2), QStringList({"制表:  ", "审核:  ", "批准:  "}));
        QStringList lefts;
        for (const char *text : {"不锈钢   ", "3025.750", "5.000%", "审核:  ", "批准:  "})
            lefts.append(QString::number(findText(page, QString::fromUtf8(text))->left));
        QCOMPARE(lefts, QStringList({"7", "6", "5.4", "3", "5.4"}));
        QCOMPARE(findText(page, QStringLiteral("批准:  "))->width, 2.4);

        // Every body line is ruled, the signature line is not; the table's
        // verticals stop at the rule under the total.
        for (double y : {1.1, 1.4, 1.7, 2.0, 2.3, 2.6, 2.9, 3.2, 3.5, 3.8, 4.1})
            QVERIFY2(hasRule(page, y), qPrintable(QString::number(y)));
        QVERIFY(!hasRule(page, 4.4) && !hasRule(page, 10.1));
        checkVerticals(page, 4.1, 1.1);

        QCOMPARE(box(findText(page, footer(1, 1))), QStringLiteral("0.6 10.5 7.3 | 9 plain 1"));
    }

    void pageBreaksAtLine32()
    {
        // 28 rows fill the first page: the fee heading opens the second.
        const PageDocument doc = buildPaperQuotation(paperRun({paperItem(QStringLiteral("报价表"), 28)}));
        QCOMPARE(doc.pages.size(), 2);
        const Page &first = doc.pages[0];
        QCOMPARE(textsAt(first, 9.9).first(), QStringLiteral("28"));
        QVERIFY(hasRule(first, 9.8) && hasRule(first, 10.1));
        checkVerticals(first, 10.1, 1.1);

        const Page &second = doc.pages[1];
        QVERIFY(hasRule(second, 0.5));
        QCOMPARE(textsAt(second, 0.6), QStringList({"二 ", "固定费用    "}));
        QVERIFY(hasRule(second, 0.8));
        QVERIFY(!findText(second, QStringLiteral("序号  "))); // headings are not repeated
        // fee heading, two fees, 单价, 总价 on lines 0..4; signature on line 5
        checkVerticals(second, 2.0, 0.5);
        QVERIFY(findText(first, footer(2, 1)) && findText(second, footer(2, 2)));

        // Serial numbers run on over the pages; middle pages are ruled from
        // the top rule down to the bottom rule.
        const PageDocument longer = buildPaperQuotation(paperRun({paperItem(QStringLiteral("报价表"), 70)}));
        QCOMPARE(longer.pages.size(), 3);
        QCOMPARE(textsAt(longer.pages[1], 0.6).first(), QStringLiteral("29"));
        QCOMPARE(textsAt(longer.pages[2], 0.6).first(), QStringLiteral("61"));
        checkVerticals(longer.pages[1], 10.1, 0.5);
        QVERIFY(hasRule(longer.pages[1], 10.1) && !hasRule(longer.pages[2], 10.1));

        // The page count the footers are numbered with before the layout is
        // the layout's own, for every length around the breaks.
        for (int rows = 0; rows <= 100; ++rows) {
            const QuoteItem it = paperItem(QStringLiteral("报价表"), rows, rows % 5);
            QCOMPARE(paperPageCount(it), buildPaperQuotation(paperRun({it})).pages.size());
        }
    }

    void signatureLine()
    {
        // 23 rows + fee heading + 2 fees + 单价 + 总价 end on line 31: the
        // signature line alone opens page 2, which then has no table to rule.
        QuoteRun r = paperRun({paperItem(QStringLiteral("报价表"), 23)});
        r.options.sign[1] = true;
        r.options.signText[1] = QStringLiteral("审核");
        const PageDocument doc = buildPaperQuotation(r);
        QCOMPARE(doc.pages.size(), 2);
        QCOMPARE(textsAt(doc.pages[0], 9.9), QStringList({"总价  ", "3025.750"}));
        checkVerticals(doc.pages[0], 10.1, 1.1);
        QCOMPARE(textsAt(doc.pages[1], 0.6), QStringList({"审核  "}));
        QVERIFY(verticals(doc.pages[1]).isEmpty());
        for (const Page &page : doc.pages)
            for (const PageLine &l : page.lines)
                QVERIFY(l.x1 != l.x2 || l.y1 != l.y2);

        // Unchecked signatures leave their line empty.
        r = paperRun({paperItem(QStringLiteral("报价表"), 1)});
        r.options.signText[0] = QStringLiteral("制表");
        r.options.signText[1] = QStringLiteral("审核");
        r.options.signText[2] = QStringLiteral("批准");
        const double signatureTop = 0.6 + 0.3 * 10; // rows 4, fee lines 5..7, 8, 9
        QCOMPARE(textsAt(buildPaperQuotation(r).pages[0], signatureTop), QStringList());

        r.options.sign[2] = true;
        QCOMPARE(textsAt(buildPaperQuotation(r).pages[0], signatureTop), QStringList({"批准  "}));
    }

    void eachScopeItemStartsANewPage()
    {
        // Three windows, the second long enough for two pages.
        QuoteRun r = paperRun({paperItem(QStringLiteral("报价C1"), 3), paperItem(QStringLiteral("报价C2"), 40),
            paperItem(QStringLiteral("报价C3"), 5)});
        r.options.scope = QuoteOptions::Scope::Window;
        const PageDocument doc = buildPaperQuotation(r);
        QCOMPARE(doc.pages.size(), 4);
        QCOMPARE(textsAt(doc.pages[0], 0.6), QStringList({"报价C1  "}));
        QCOMPARE(textsAt(doc.pages[1], 0.6), QStringList({"报价C2  "}));
        QCOMPARE(textsAt(doc.pages[2], 0.6).first(), QStringLiteral("29"));
        QCOMPARE(textsAt(doc.pages[3], 0.6), QStringList({"报价C3  "}));
        // Each quotation numbers its rows from 1 and is closed on its own pages.
        QCOMPARE(textsAt(doc.pages[3], 1.8).first(), QStringLiteral("1"));
        checkVerticals(doc.pages[0], 0.5 + 0.3 * 12, 1.1);
        checkVerticals(doc.pages[3], 0.5 + 0.3 * 14, 1.1);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(textsAt(doc.pages[k], 10.5), QStringList({footer(4, k + 1)}));
    }
};

QTEST_GUILESS_MAIN(TestPaperDocument)
#include "tst_paperdocument.moc"
