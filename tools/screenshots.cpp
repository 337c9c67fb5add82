// Pictures of the windows on the demo data, for the README:
//
//   cmake --build build --target tarvex-screenshots
//   QT_QPA_PLATFORM=offscreen build/tools/tarvex-screenshots docs
//
// Every picture is made in a temporary program folder (the runtime files, the
// demo prices and the demo project), so the pictures do not depend on what the
// developer's own program folder holds. The offscreen platform draws no window
// frames: each picture is the window's own contents.

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/db/libraryschema.h"
#include "core/common/db/schema.h"
#include "core/common/db/serverconnection.h"
#include "core/common/db/serverschema.h"
#include "core/common/db/sqlscript.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/cutting/cutpages.h"
#include "core/cutting/remnants.h"
#include "core/document/pagerenderer.h"
#include "core/library/demolibrary.h"
#include "core/library/libraryfile.h"
#include "core/rawdata/workingtables.h"
#include "gui/app/application.h"
#include "gui/app/mainform.h"
#include "gui/common/dialogrunner.h"
#include "gui/common/filedialogs.h"
#include "gui/common/flexgrid.h"
#include "gui/common/forms.h"
#include "gui/cutting/cutform.h"
#include "gui/cutting/remnantform.h"
#include "gui/library/dwgform.h"
#include "gui/offer/offerdialog.h"
#include "gui/offer/offerform.h"
#include "gui/prices/disform.h"
#include "gui/prices/priceentry.h"
#include "gui/quote/bjform.h"
#include "gui/quote/bjshowform.h"
#include "gui/rawdata/lcform.h"
#include "gui/settings/frmabout.h"
#include "gui/settings/sysinfodialog.h"
#include "gui/viewer/dataform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextStream>
#include <QThread>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using namespace tarvex;

namespace {

QString sourcePath(const QString &relative)
{
    return QDir(QStringLiteral(TARVEX_SOURCE_DIR)).filePath(relative);
}

void copyFolder(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(path));
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(path, target);
    }
}

// Lets layouts and deferred loads settle before a picture is taken.
void settle()
{
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

class Shooter {
public:
    explicit Shooter(const QString &folder)
        : m_folder(folder)
    {
    }

    void save(QWidget *widget, const QString &name)
    {
        settle();
        const QString path = QDir(m_folder).filePath(name);
        if (widget->grab().save(path)) {
            QTextStream(stdout) << path << Qt::endl;
        } else {
            QTextStream(stderr) << "cannot write " << path << Qt::endl;
            m_failed = true;
        }
    }

    // The first page of a page document as paper, 100 dots per inch.
    void savePage(const PageDocument &document, const QString &name)
    {
        QImage image(QSize(int(document.pageWidth * 100), int(document.pageHeight * 100)), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        PageRenderer().drawPage(painter, document.pages.value(0), 100);
        painter.end();
        const QString path = QDir(m_folder).filePath(name);
        if (image.save(path)) {
            QTextStream(stdout) << path << Qt::endl;
        } else {
            QTextStream(stderr) << "cannot write " << path << Qt::endl;
            m_failed = true;
        }
    }

    bool failed() const { return m_failed; }

private:
    QString m_folder;
    bool m_failed = false;
};

template <typename T> T *child(QWidget *parent, const QString &name)
{
    T *widget = parent->findChild<T *>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

// Closes the child windows; their count and filter stay in the status bar,
// so the panels are emptied too and the next picture starts clean.
void closeAll(MainForm &main)
{
    CloseChildWindows();
    main.setPanelText(StatusPanel::RecordCount, QString());
    main.setPanelText(StatusPanel::Filter, QString());
}

void chooseFilter(DisForm *form, int col, const QString &value)
{
    form->grid()->setCurrentCell(1, col);
    emit form->grid()->cellDoubleClicked(1, col);
    QComboBox *combo = form->filterList();
    const int index = combo->findText(value);
    if (index >= 0) {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
}

// The entry dialog of one price table, in modify mode on a row of the browser.
void shootEntryDialog(Shooter &shooter, MainForm &main, QAction *entry, int row, const QString &name)
{
    entry->trigger();
    auto *form = main.openChild<DisForm>();
    if (!form)
        qFatal("no price tables browser");
    form->grid()->setCurrentCell(row, 0);
    setEntryDialogRunner([&](QDialog *dialog) {
        dialog->show();
        shooter.save(dialog, name);
    });
    form->actions().modify->trigger();
    setEntryDialogRunner(nullptr);
    closeAll(main);
}

// The manual as a simple browser shows it, with the pictures just made.
class ManualBrowser : public QTextBrowser {
public:
    explicit ManualBrowser(const QString &pictures)
        : m_pictures(pictures)
    {
    }

    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type == QTextDocument::ImageResource)
            return QImage(QDir(m_pictures).filePath(QFileInfo(name.path()).fileName()));
        return QTextBrowser::loadResource(type, name);
    }

private:
    QString m_pictures;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        QTextStream(stderr) << "usage: tarvex-screenshots OUTPUT_FOLDER" << Qt::endl;
        return 2;
    }
    const QString output = app.arguments().at(1);
    QDir().mkpath(output);
    setupFonts();
    if (QFontDatabase::families().contains(u"Noto Sans CJK SC"_s))
        QApplication::setFont(QFont(u"Noto Sans CJK SC"_s, 10));

    QTemporaryDir home;
    copyFolder(sourcePath(u"data/runtime"_s), home.path());
    setProgramFolder(home.path());
    ScriptedMessages messages;
    setMessageService(&messages);
    Shooter shooter(output);

    MainForm main;
    main.resize(1280, 860);
    main.show();
    main.startup({u"tarvex"_s});
    shooter.save(&main, u"main-window.png"_s);

    runSqlScriptFile(sourcePath(u"data/demo/prices.sql"_s), Database::shared());
    loadRawDataFile(sourcePath(u"data/demo/demo.xdt"_s));
    appState().currentFilePath = sourcePath(u"data/demo/demo.xdt"_s);

    // The viewer on the profiles, then the editor on its current row.
    main.actions().viewData->trigger();
    auto *viewer = main.findChild<DataForm *>(u"dataForm"_s);
    if (!viewer)
        qFatal("no viewer");
    viewer->setCurrentPage(MaterialKind::Profile);
    viewer->grid(MaterialKind::Profile)->setCurrentCell(4, 3);
    shooter.save(&main, u"viewer.png"_s);
    viewer->actions().modify->trigger();
    if (LcForm *editor = viewer->editor()) {
        shooter.save(editor, u"editor.png"_s);
        editor->reject();
    }
    closeAll(main);

    // The profile price table, filtered on one series.
    main.actions().profilePrices->trigger();
    if (auto *prices = main.openChild<DisForm>()) {
        chooseFilter(prices, 1, u"60平开窗"_s);
        prices->grid()->setCurrentCell(3, 0);
        shooter.save(&main, u"prices-browser.png"_s);
    }
    closeAll(main);

    shootEntryDialog(shooter, main, main.actions().profilePrices, 4, u"dialog-profile.png"_s);
    shootEntryDialog(shooter, main, main.actions().accessoryPrices, 3, u"dialog-accessory.png"_s);
    shootEntryDialog(shooter, main, main.actions().glassPrices, 3, u"dialog-glass.png"_s);
    shootEntryDialog(shooter, main, main.actions().fees, 2, u"dialog-fee.png"_s);

    // The options dialog filled in, then its paper quotation per series.
    {
        BjForm form;
        QObject::connect(&form, &BjForm::paperQuotationReady, &main, &MainForm::showPaperPreview);
        // With its "客户报价" button, as the toolbar opens it.
        form.setOfferAsk([](const QuoteOptions &) -> std::optional<OfferRequest> { return std::nullopt; });
        form.show();
        child<QRadioButton>(&form, u"Option2"_s)->setChecked(true);
        child<QLineEdit>(&form, u"Text4"_s)->setText(u"阳光花园二期"_s);
        child<QLineEdit>(&form, u"Text5"_s)->setText(u"门窗工程报价单"_s);
        child<QCheckBox>(&form, u"Check1"_s)->setChecked(true);
        child<QCheckBox>(&form, u"Check2"_s)->setChecked(true);
        child<QLineEdit>(&form, u"Text6"_s)->setText(u"编制:"_s);
        form.adjustSize();
        shooter.save(&form, u"bjform.png"_s);

        messages.answerInput(u"22.5"_s);
        messages.answerInput(u"18"_s);
        child<QPushButton>(&form, u"Command1"_s)->click();
    }
    if (!main.openChild<bjShowForm>()) {
        QTextStream(stderr) << "no preview: " << messages.texts().join(u" / "_s) << Qt::endl;
        return 1;
    }
    shooter.save(&main, u"preview.png"_s);
    // Its first page, with the long glass name 6+12A+6Low-E中空玻璃 fitted into its column.
    if (auto *preview = main.openChild<bjShowForm>())
        shooter.savePage(preview->document(), u"paper-quotation.png"_s);
    closeAll(main);

    // A customer offer of the demo per window: the firm in cs.ini with a
    // logo, the offer dialog filled in, the offer's first page; then a
    // second offer per series and a revision, in the register.
    {
        QImage logo(360, 180, QImage::Format_RGB32);
        logo.fill(QColor(0x1f4e79));
        QPainter painter(&logo);
        painter.setPen(Qt::white);
        painter.setFont(QFont(u"Noto Sans CJK SC"_s, 60, QFont::Bold));
        painter.drawText(logo.rect(), Qt::AlignCenter, u"恒达"_s);
        painter.end();
        logo.save(programFile(u"pic/logo.png"_s));
        WriteIni(iniPath(), u"offer"_s,
            {{u"firm"_s, u"恒达门窗有限公司"_s}, {u"address"_s, u"江苏省苏州市工业园区星湖街100号"_s},
                {u"phone"_s, u"0512-6688 1234"_s}, {u"logo"_s, u"pic/logo.png"_s}});
        BjForm form;
        QObject::connect(&form, &BjForm::offerIssued, &main, &MainForm::showOfferPreview);
        form.setOfferAsk([&](const QuoteOptions &options) {
            OfferDialog dialog(readOfferSettings(iniPath()), options.project, &form);
            child<QLineEdit>(&dialog, u"Text1"_s)->setText(u"苏州阳光置业有限公司"_s);
            child<QComboBox>(&dialog, u"Combo1"_s)->setCurrentIndex(1);
            child<QLineEdit>(&dialog, u"Text3"_s)->setText(u"5"_s);
            child<QCheckBox>(&dialog, u"Check1"_s)->setChecked(true);
            dialog.show();
            dialog.adjustSize();
            shooter.save(&dialog, u"offer-dialog.png"_s);
            return std::optional<OfferRequest>(dialog.request());
        });
        form.show();
        child<QLineEdit>(&form, u"Text4"_s)->setText(u"阳光花园二期"_s);
        messages.answerInput(u"22.5"_s);
        messages.answerInput(u"18"_s);
        child<QPushButton>(&form, u"Command4"_s)->click();
    }
    if (auto *preview = main.openChild<bjShowForm>())
        shooter.savePage(preview->document(), u"offer.png"_s);
    closeAll(main);
    {
        BjForm form;
        form.setOfferAsk([](const QuoteOptions &) {
            OfferRequest request;
            request.customer = u"吴江城建开发公司"_s;
            request.project = u"滨湖苑"_s;
            request.scope = OfferScope::Series;
            request.taxPercent = 13;
            return std::optional<OfferRequest>(request);
        });
        form.show();
        messages.answerInput(u"22.5"_s);
        messages.answerInput(u"18"_s);
        child<QPushButton>(&form, u"Command4"_s)->click();
    }
    main.actions().offers->trigger();
    if (auto *offers = main.openChild<OfferForm>()) {
        Database::shared().exec(u"UPDATE blName SET 单价=单价*1.1"_s);
        offers->grid()->setCurrentCell(1, 0);
        messages.answerInput(u"23.8"_s);
        messages.answerInput(u"18"_s);
        offers->revise();
        // The register in front of the revision's preview.
        if (auto *preview = main.openChild<bjShowForm>())
            preview->parentWidget()->close();
        shooter.save(&main, u"offers.png"_s);
    }
    closeAll(main);

    // The cutting plan of the demo project beside the viewer, a code with
    // several bars chosen.
    main.actions().viewData->trigger();
    main.actions().cuttingPlan->trigger();
    if (auto *cut = main.openChild<CutForm>()) {
        auto compute = [cut] {
            QEventLoop wait;
            QObject::connect(cut, &CutForm::computed, &wait, &QEventLoop::quit);
            if (cut->compute())
                wait.exec();
        };
        // A first plan confirmed leaves its offcuts as remnants, which the
        // plan made again takes first.
        compute();
        confirmCutPlan(Database::shared(), cut->plan(), u"上一工程.xdt"_s, QDate(2026, 1, 5));
        compute();
        child<QTableView>(cut, u"Flex2"_s)->selectRow(0);
        shooter.save(&main, u"cutting.png"_s);
        // The first page that names a remnant to fetch.
        PageDocument page = cutPlanPages(cut->plan());
        const QVector<Page> all = page.pages;
        for (const Page &p : all) {
            if (std::any_of(p.texts.begin(), p.texts.end(),
                    [](const PageText &t) { return t.text.startsWith(u"第"_s) && t.text.contains(u"取余料 "_s); })) {
                page.pages = {p};
                break;
            }
        }
        shooter.savePage(page, u"cutting-page.png"_s);
        RemnantForm remnants(cut);
        remnants.show();
        shooter.save(&remnants, u"remnants.png"_s);
    }
    closeAll(main);

    // A price list read for import: what it would change, and a row it refuses.
    {
        const QString list = QDir(home.path()).filePath(u"配件价格.csv"_s);
        QFile csv(list);
        if (csv.open(QIODevice::WriteOnly))
            csv.write(u"名称,规格,类别,单位,单价,折扣量\r\n执手,7字型,五金,个,29.5,0.9\r\n合页,4寸,五金,个,6.5,1\r\n"
                      "地弹簧,\"标准,重型\",五金,套,168,0.85\r\n拉手,,五金,个,十二,1\r\n"_s.toUtf8());
        csv.close();
        main.actions().accessoryPrices->trigger();
        if (auto *prices = main.openChild<DisForm>()) {
            setNextFileName(list);
            setDialogRunner([&](QDialog *dialog) {
                dialog->show();
                shooter.save(dialog, u"import-preview.png"_s);
                return int(QDialog::Rejected);
            });
            prices->actions().importData->trigger();
            setDialogRunner(nullptr);
        }
        closeAll(main);
    }

    // The missing price list of the viewer, after some prices went missing.
    sqlExec(u"DELETE FROM lcName WHERE 代号='KF604'"_s);
    sqlExec(u"DELETE FROM pjName WHERE 名称 IN ('滑轮','月牙锁')"_s);
    sqlExec(u"DELETE FROM blName WHERE 名称='5mm白玻'"_s);
    main.actions().viewData->trigger();
    if (auto *viewer = main.openChild<DataForm>()) {
        setDialogRunner([&](QDialog *dialog) {
            dialog->show();
            shooter.save(dialog, u"missing-prices.png"_s);
            return int(QDialog::Rejected);
        });
        viewer->actions().missingPrices->trigger();
        setDialogRunner(nullptr);
    }
    closeAll(main);

    // The drawing library on the demo library: the sliding windows, a picture
    // selected; then the item editor.
    {
        LibraryConnection library;
        fillDemoLibrary(library.db());
    }
    main.actions().library->trigger();
    if (auto *drawings = main.openChild<DwgForm>()) {
        drawings->tree()->findItems(u"90系列推拉窗"_s, Qt::MatchExactly).first()->setExpanded(true);
        drawings->selectSlot(7);
        shooter.save(&main, u"library.png"_s);
    }
    main.actions().libraryItems->trigger();
    if (QWidget *items = main.findChild<QWidget *>(u"xldItem"_s))
        shooter.save(items, u"library-items.png"_s);
    closeAll(main);

    // The settings dialog in the main window, the About box and its system
    // information, then the manual at its chapter on the viewer.
    main.actions().settings->trigger();
    if (QWidget *settings = main.findChild<QWidget *>(u"setForm"_s))
        shooter.save(settings->parentWidget(), u"setform.png"_s);
    closeAll(main);
    main.actions().about->trigger();
    if (auto *about = main.findChild<FrmAbout *>(u"frmAbout"_s)) {
        shooter.save(about, u"about.png"_s);
        about->StartSysInfo();
        if (auto *info = about->findChild<SysInfoDialog *>())
            shooter.save(info, u"sysinfo.png"_s);
    }
    closeAll(main);
    {
        ManualBrowser manual(output);
        manual.resize(1000, 860);
        manual.setSource(QUrl::fromLocalFile(sourcePath(u"data/help/index.html"_s)));
        manual.show();
        settle();
        manual.scrollToAnchor(u"viewer"_s);
        shooter.save(&manual, u"manual.png"_s);
    }

    // System information of a workstation on a firm's server, when one is
    // named: TARVEX_SCREENSHOT_SERVER="host=… dbname=… user=…", a login that
    // may set the database up as server init does.
    if (const QString server = qEnvironmentVariable("TARVEX_SCREENSHOT_SERVER"); !server.isEmpty()) {
        {
            QSqlDatabase admin = openServerConnection(server, {u"public"_s}, u"screenshot-admin"_s);
            initServerSchema(admin, {workingSchemaPlan(), librarySchemaPlan(QString())});
        }
        Database::close(u"screenshot-admin"_s);
        DatabaseSettings settings;
        settings.engine = Engine::Server;
        settings.conninfo = server;
        settings.seat = u"estimator1"_s;
        writeDatabaseSettings(iniPath(), settings);
        Database::openWorking(settings, home.path());
        runSqlScriptFile(sourcePath(u"data/demo/prices.sql"_s), Database::shared());
        loadRawDataFile(sourcePath(u"data/demo/demo.xdt"_s));
        main.actions().about->trigger();
        if (auto *about = main.findChild<FrmAbout *>(u"frmAbout"_s)) {
            about->StartSysInfo();
            if (auto *info = about->findChild<SysInfoDialog *>())
                shooter.save(info, u"sysinfo-server.png"_s);
        }
        closeAll(main);
    }

    setMessageService(nullptr);
    CloseChildWindows();
    return shooter.failed() ? 1 : 0;
}
