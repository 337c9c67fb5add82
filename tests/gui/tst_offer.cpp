// The customer offer from the quotation dialog, its preview, and the
// register window of the main toolbar.

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/offer/offersequence.h"
#include "core/quote/quotesettings.h"
#include "gui/app/mainform.h"
#include "gui/common/dialogrunner.h"
#include "gui/common/filedialogs.h"
#include "gui/common/flexgrid.h"
#include "gui/common/qtmessages.h"
#include "gui/offer/offerdialog.h"
#include "gui/offer/offerform.h"
#include "gui/quote/bjform.h"
#include "gui/quote/bjshowform.h"
#include "quotefixture.h"
#include "testsupport.h"
#include "widgetsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTimer>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// An offer of the demo issued as the dialog would issue it.
RecordedOffer issueDemo(const QString &customer, OfferScope scope)
{
    QuoteRun run;
    run.options = demoQuoteOptions(quoteScopeOf(scope));
    QuoteSteps steps;
    steps.askPrice = demoLcPriceAnswer;
    OfferRequest request;
    request.customer = customer;
    request.scope = scope;
    Offer offer;
    if (!prepareOffer(run, request, steps, &offer))
        qFatal("the demo was refused");
    return issuePreparedOffer(offer, readOfferSettings(iniPath()));
}

QStringList pageTexts(const PageDocument &doc)
{
    QStringList texts;
    for (const Page &page : doc.pages)
        for (const PageText &t : page.texts)
            texts.append(t.text);
    return texts;
}

} // namespace

class TestOfferWindows : public QObject {
    Q_OBJECT

private slots:
    // "客户报价" stands beside the two quotation buttons; the offer it issues
    // is recorded and shown, and 导出PDF gives the recorded bytes.
    void offerButtonIssuesTheOffer()
    {
        TestHome home(Demo::PricesAndProject);
        appState().currentFilePath = "/工程/演示.xdt";
        QVERIFY(writeQuoteSettings(iniPath(), quoteSettingsFromOptions(demoQuoteOptions(QuoteOptions::Scope::Whole))));
        home.messages().answerInput(QStringLiteral("24.5"));
        home.messages().answerInput(QStringLiteral("18"));
        QString project;
        setDialogRunner([&project](QDialog *dialog) {
            auto *offer = qobject_cast<OfferDialog *>(dialog);
            if (!offer)
                return int(QDialog::Rejected);
            project = boxText(offer, "Text2");
            typeInto(offer, {{"Text1", "苏州某置业有限公司"}, {"Text3", "5"}, {"Text5", "15"}});
            child<QComboBox>(offer, "Combo1")->setCurrentIndex(1);
            child<QCheckBox>(offer, "Check1")->setChecked(true);
            click(offer, "Command1");
            return offer->result();
        });
        QStringList captions;
        QTimer::singleShot(0, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog && dialog->objectName() == "bjForm");
            QList<QPushButton *> buttons;
            for (const char *name : {"Command1", "Command2", "Command4", "Command3"})
                buttons.append(child<QPushButton>(dialog, QString::fromLatin1(name)));
            for (int i = 0; i < buttons.size(); ++i) {
                captions.append(buttons[i]->text());
                QVERIFY(i == 0 || buttons[i - 1]->x() < buttons[i]->x());
            }
            click(dialog, "Command4");
        });
        MainForm main;
        main.actions().quotation->trigger();
        setDialogRunner(nullptr);
        QCOMPARE(captions, QStringList({"计算报价", "输出Excel", "客户报价", "关闭"}));
        QCOMPARE(project, QString("演示工程")); // the quotation dialog's 项目名称

        const QString number = "BJ" + QDate::currentDate().toString("yyyyMMdd") + "-001";
        const std::optional<RecordedOffer> recorded = readOffer(number);
        QVERIFY(recorded);
        QCOMPARE(recorded->offer.customer, QString("苏州某置业有限公司"));
        QCOMPARE(recorded->offer.sourceFile, QString("/工程/演示.xdt"));
        QCOMPARE(recorded->offer.validityDays, 15);
        QCOMPARE(formatYuan(recorded->offer.totals.total), QString("9,304.04"));
        QCOMPARE(main.panelText(1), "已出具报价 " + number);
        QCOMPARE(ReadIni(iniPath(), "offer", "tax"), QString("13")); // kept for the next offer

        auto *preview = main.openChild<bjShowForm>();
        QVERIFY(preview);
        QVERIFY(pageTexts(preview->document()).contains("总计(大写): 人民币玖仟叁佰零肆元零肆分"));
        setNextFileName(home.file("export.pdf"));
        QVERIFY(preview->exportPdf());
        QCOMPARE(readFile(home.file("export.pdf")), recorded->pdf);
    }

    void offerDialogRefusesWhatCannotBeOffered_data()
    {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("discount");
        QTest::addColumn<QString>("validity");
        QTest::addColumn<QString>("message");
        QTest::newRow("customer") << " "
                                  << "5"
                                  << "30"
                                  << "请填写客户名称";
        QTest::newRow("discount") << "甲"
                                  << "五"
                                  << "30"
                                  << "优惠应为数字: 五";
        QTest::newRow("validity") << "甲"
                                  << "5"
                                  << "三十"
                                  << "有效期应为天数: 三十";
    }

    void offerDialogRefusesWhatCannotBeOffered()
    {
        QFETCH(QString, customer);
        QFETCH(QString, discount);
        QFETCH(QString, validity);
        QFETCH(QString, message);
        TestHome home;
        OfferDialog dialog(readOfferSettings(iniPath()), "项目");
        typeInto(&dialog, {{"Text1", customer}, {"Text3", discount}, {"Text5", validity}});
        child<QComboBox>(&dialog, "Combo1")->setCurrentIndex(1);
        click(&dialog, "Command1");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(home.messages().lastText(), message);
    }

    // The register: listed, sorted by a header click, filtered, reprinted
    // byte for byte, revised with today's prices, deleted after asking.
    void registerWindow()
    {
        TestHome home(Demo::PricesAndProject);
        RecordingMessages messages;
        setMessageService(&messages);
        const RecordedOffer first = issueDemo("张三", OfferScope::Window);
        const RecordedOffer second = issueDemo("李四", OfferScope::Series);

        MainForm main;
        main.show();
        main.actions().offers->trigger();
        auto *form = main.openChild<OfferForm>();
        QVERIFY(form);
        FlexGrid *grid = form->grid();
        QCOMPARE(grid->recordCount(), 2);
        QCOMPARE(main.panelText(2), QString("当前记录数:2"));
        QCOMPARE(grid->headerText(8), QString("总计"));
        QCOMPARE(grid->model()->index(0, 8).data().toString(), QString("8667.01"));
        auto *money = qobject_cast<QStyledItemDelegate *>(grid->itemDelegateForColumn(8));
        QVERIFY(money);
        QCOMPARE(money->displayText(QString("8667.01"), QLocale()), QString("8,667.01"));

        // 总计 ascending (series 8,666.62 first), then descending.
        grid->horizontalHeader()->sectionClicked(8);
        QCOMPARE(grid->textMatrix(1, 0), second.offer.number);
        grid->horizontalHeader()->sectionClicked(8);
        QCOMPARE(grid->textMatrix(1, 0), first.offer.number);

        typeInto(form, {{"Text1", "李"}});
        click(form, "Command1");
        QCOMPARE(grid->recordCount(), 1);
        typeInto(form, {{"Text1", ""}, {"Text3", "2000-1-1"}});
        click(form, "Command1");
        QCOMPARE(messages.lastText(), QString("日期应写成 yyyy-MM-dd: 2000-1-1"));
        typeInto(form, {{"Text3", ""}});
        click(form, "Command1");

        grid->setCurrentCell(1, 0);
        setNextFileName(home.file("reprint.pdf"));
        click(form, "Command2");
        QCOMPARE(readFile(home.file("reprint.pdf")), first.pdf);

        sqlExec("UPDATE blName SET 单价=单价*2");
        messages.answerInput(QStringLiteral("26"));
        messages.answerInput(std::nullopt); // cancelled: 0, as the paper quotation takes it
        messages.clear();
        click(form, "Command3");
        QCOMPARE(messages.defaults, QStringList({"24.5", "18"})); // the recorded class prices
        const std::optional<RecordedOffer> revised = readOffer(first.offer.number + "-R1");
        QVERIFY(revised);
        QVERIFY(messages.lastText().startsWith("已出具修订报价 " + first.offer.number + "-R1\n\t" + first.offer.number
            + "\t" + first.offer.number + "-R1\n合计\t8,667.01\t"));
        QVERIFY(
            form->findChild<QLabel *>("Label1")->text().contains("总计&nbsp;</td><td align=\"right\">&nbsp;8,667.01"));
        QCOMPARE(readOffer(first.offer.number)->pdf, first.pdf);
        QCOMPARE(grid->recordCount(), 3);
        QCOMPARE(form->currentNumber(), revised->offer.number);
        QVERIFY(main.openChild<bjShowForm>());

        messages.answerQuestion(false);
        click(form, "Command4");
        QCOMPARE(messages.lastText(), "是否确定要删除当前记录?\n报价编号: " + revised->offer.number);
        QCOMPARE(grid->recordCount(), 3);
        messages.answerQuestion(true);
        click(form, "Command4");
        QCOMPARE(grid->recordCount(), 2);
        QVERIFY(!readOffer(revised->offer.number));
        setMessageService(&home.messages());
    }

    // A deletion's question defaults to No: Enter keeps the data.
    void deletionQuestionDefaultsToNo()
    {
        QtMessages onScreen;
        bool defaultIsNo = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            defaultIsNo = box->defaultButton() == box->button(QMessageBox::No);
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(!onScreen.confirmDeletion("是否确定要删除当前记录?"));
        QVERIFY(defaultIsNo);
    }
};

QTEST_MAIN(TestOfferWindows)
#include "tst_offer.moc"
