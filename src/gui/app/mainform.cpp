#include "gui/app/mainform.h"

#include "core/app/commandline.h"
#include "core/app/programicon.h"
#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/viewer/viewerpages.h"
#include "gui/app/backgroundarea.h"
#include "gui/app/toolbaricons.h"
#include "gui/common/filedialogs.h"
#include "gui/common/forms.h"
#include "gui/common/indexedtoolbar.h"
#include "gui/library/librarywindows.h"
#include "gui/settings/settingswindows.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace tarvex {

namespace {

constexpr QRgb kData = 0x2f6fb5, kPrices = 0x2f9e6b, kQuote = 0xd9822b, kLibrary = 0x7a5bb5, kSystem = 0x6b7785;

// The 21 entries, left to right; the position is the button's index.
QList<ToolbarEntry> mainEntries()
{
    auto tile = [](const char *glyph, QRgb color) { return tileIcon(QString::fromUtf8(glyph), QColor(color)); };
    const ToolbarEntry separator {nullptr, QIcon()};
    return {
        {"检索数据", tile("检", kData)},
        {"打开文件", tile("开", kData)},
        {"保  存", tile("存", kData)},
        {"另存为", tile("另", kData)},
        separator,
        {"主材线重", tile("材", kPrices)},
        {"配件单价", tile("配", kPrices)},
        {"玻璃单价", tile("玻", kPrices)},
        {"固定费用", tile("费", kPrices)},
        separator,
        {"成本计算", tile("算", kQuote)},
        separator,
        {"图库管理", tile("图", kLibrary)},
        {"料单项目", tile("料", kLibrary)},
        separator,
        {"系统帮助", tile("助", kSystem)},
        {"系统设置", tile("设", kSystem)},
        separator,
        {"关于程序", tile("关", kSystem)},
        separator,
        {"退出系统", tile("退", 0xb5453f)},
    };
}

// Panel widths in twips, at 15 twips a pixel.
constexpr int kPanelTwips[] = {0, 1200, 1600, 9760, 1400, 1400};

} // namespace

MainForm::MainForm(QWidget *parent)
    : QMainWindow(parent)
    , m_area(new BackgroundArea(this))
    , m_toolbar(nullptr)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Tarvex"));
    // Child windows take the program's picture too.
    QApplication::setWindowIcon(programIcon());
    m_area->setObjectName(QStringLiteral("ClientArea"));
    m_area->setBackground(QColor(0x80, 0x80, 0x80));
    setCentralWidget(m_area);
    buildToolbar();
    buildStatusBar();
    connect(m_area, &BackgroundArea::resized, this, &MainForm::refitFillingWindows);
    // Until the window system maximizes it, as large as the screen allows.
    QSize size(1280, 860);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    resize(size);
}

MainForm::~MainForm()
{
    // The child windows outlive this part of the window: they must not
    // release their panels into it.
    for (QObject *writer : std::as_const(m_panelWriters))
        if (writer)
            disconnect(writer, &QObject::destroyed, this, &MainForm::releasePanelsOf);
}

void MainForm::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(30, 30));
    // Captions a little smaller than the window's text: the 22 entries fit a
    // screen 1024 pixels wide, 退出系统 included.
    QFont captions = m_toolbar->font();
    if (captions.pointSizeF() > 0)
        captions.setPointSizeF(qMax(8.0, captions.pointSizeF() - 1.5));
    m_toolbar->setFont(captions);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    m_buttons = fillIndexedToolbar(m_toolbar, mainEntries());
    addIndexedEntry(m_toolbar, m_buttons, {"下料优化", tileIcon(QStringLiteral("切"), QColor(kQuote))}, m_buttons[12]);
    addIndexedEntry(m_toolbar, m_buttons, {"报价记录", tileIcon(QStringLiteral("记"), QColor(kQuote))}, m_buttons[12]);
    connectActions();
}

QAction *MainForm::entry(int index, const std::function<void()> &step)
{
    QAction *action = m_buttons[index];
    connect(action, &QAction::triggered, this, [step] {
        // What fails is said, as every window says it: a window that could
        // not be built must not just stay away.
        try {
            step();
        } catch (const Error &e) {
            reportError(e.message());
        } catch (const std::exception &e) {
            reportError(QString::fromLocal8Bit(e.what()));
        }
    });
    return action;
}

void MainForm::connectActions()
{
    Actions &a = m_actions;
    a.viewData = entry(1, [this] { showViewerWindow(viewerCaption()); });
    a.openFile = entry(2, [this] { openFileFromToolbar(); });
    a.save = entry(3, [this] { SaveFile(); });
    a.saveAs = entry(4, [this] { SaveasFile(); });
    a.profilePrices = entry(6, [this] { showPriceBrowser(PriceTableId::Profile, QStringLiteral("主材线重属性编辑")); });
    a.accessoryPrices = entry(7, [this] { showPriceBrowser(PriceTableId::Accessory, QStringLiteral("配件价格编辑")); });
    a.glassPrices = entry(8, [this] { showPriceBrowser(PriceTableId::Glass, QStringLiteral("玻璃价格编辑")); });
    a.fees = entry(9, [this] { showPriceBrowser(PriceTableId::Fee, QStringLiteral("固定费用编辑")); });
    a.quotation = entry(11, [this] { runQuotation(); });
    a.library = entry(13, [this] { showOnly(createDwgForm, Placement::Fill); });
    a.libraryItems = entry(14, [this] { showOnly(createXldItem, Placement::Centre); });
    a.help = entry(16, [] { openManual(); });
    a.settings = entry(17, [this] { showOnly(createSetForm, Placement::Centre); });
    a.about = entry(19, [this] { showAboutBox(this); });
    a.quit = entry(21, [this] { close(); });
    a.cuttingPlan = entry(22, [this] { showCutWindow(); });
    a.offers = entry(23, [this] { showOffers(); });
}

void MainForm::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("Bar1"));
    bar->setSizeGripEnabled(true);
    m_panels.resize(6);
    m_panelWriters.resize(6);
    for (int i = 1; i <= 5; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(4, 0, 4, 0);
        m_panels[i] = panel;
    }
    // Panels stand in order 1..5; panel 3 takes the spare width.
    for (int i = 1; i <= 5; ++i)
        bar->addWidget(m_panels[i], i == 3 ? 1 : 0);
    updateClock();
    auto *clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &MainForm::updateClock);
    clock->start(1000);
}

void MainForm::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    m_panels[4]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_panels[5]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

void MainForm::startup(const QStringList &arguments)
{
    AppState &state = appState();
    // A user folder that could not be filled is said once; the steps below
    // report what then fails.
    if (const QString problem = programFolderInUse().problem; !problem.isEmpty())
        reportError(problem);
    try {
        const IniFile ini(iniPath());
        state.dataFolder = resolveFolderSetting(ini.value(QStringLiteral("sysPath"), QStringLiteral("path1")));
        state.libraryFolder = resolveFolderSetting(ini.value(QStringLiteral("sysPath"), QStringLiteral("path2")));

        // A missing picture leaves the plain background; start-up goes on.
        const QPixmap picture(programFile(QStringLiteral("pic/1.jpg")));
        if (!picture.isNull())
            m_area->setPicture(picture);

        setWindowTitle(QStringLiteral("Tarvex"));
        for (int i = 1; i <= 5; ++i)
            m_panels[i]->setMinimumWidth(kPanelTwips[i] / 15);
        for (QAction *action : projectActions())
            action->setEnabled(false);

        Database::openWorking(readDatabaseSettings(iniPath()), state.dataFolder);

        state.currentFilePath = commandLinePath(arguments);
        // A file that is missing (or no file at all) or failed to load must
        // not become the target of the next save: the tables still hold the
        // data of another one. The load says what is wrong with it.
        if (!state.currentFilePath.isEmpty() && !OpenFile(state.currentFilePath))
            state.currentFilePath.clear();
    } catch (const Error &e) {
        reportError(e.message());
    }
}

QAction *MainForm::button(int index) const
{
    if (index < 1 || index > kButtonCount)
        return nullptr;
    return m_buttons[index];
}

QList<QAction *> MainForm::projectActions() const
{
    return {m_actions.save, m_actions.saveAs, m_actions.quotation, m_actions.cuttingPlan};
}

void MainForm::setPanelText(StatusPanel panel, const QString &text)
{
    const int index = int(panel);
    if (index < 1 || index > 5)
        return;
    m_panels[index]->setText(text);
    if (panel != StatusPanel::RecordCount && panel != StatusPanel::Filter)
        return;
    // A window's count must not outlive it: the next window may have none.
    QObject *previous = m_panelWriters[index];
    m_panelWriters[index] = sender();
    // A window that holds no panel any more need not be heard when it goes
    // (and must not be once this window is being destroyed).
    if (previous && previous != sender() && !m_panelWriters.contains(previous))
        disconnect(previous, &QObject::destroyed, this, &MainForm::releasePanelsOf);
    if (QObject *writer = sender())
        connect(writer, &QObject::destroyed, this, &MainForm::releasePanelsOf, Qt::UniqueConnection);
}

void MainForm::releasePanelsOf(QObject *writer)
{
    for (const StatusPanel panel : {StatusPanel::RecordCount, StatusPanel::Filter}) {
        const int index = int(panel);
        if (m_panelWriters[index] == writer) {
            m_panelWriters[index] = nullptr;
            m_panels[index]->clear();
        }
    }
}

QString MainForm::panelText(int panel) const
{
    if (panel >= 1 && panel <= 5)
        return m_panels[panel]->text();
    return QString();
}

QMdiArea *MainForm::mdiArea() const
{
    return m_area;
}

QList<QWidget *> MainForm::childForms() const
{
    QList<QWidget *> forms;
    for (QMdiSubWindow *sub : m_area->subWindowList())
        if (sub->widget())
            forms.append(sub->widget());
    return forms;
}

namespace {
// The geometry last given to a window that fills the client area.
const char *const kFilledGeometry = "tarvexFilledGeometry";
} // namespace

void MainForm::showChild(QWidget *form, Placement placement)
{
    form->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = m_area->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    const QRect client = m_area->viewport()->rect();
    if (placement == Placement::Fill) {
        sub->setGeometry(client);
        sub->setProperty(kFilledGeometry, sub->geometry());
    } else {
        // A small window of its own size: nothing to maximize.
        sub->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        sub->adjustSize();
        const QSize size = sub->size();
        sub->move(
            client.left() + (client.width() - size.width()) / 2, client.top() + (client.height() - size.height()) / 2);
    }
    sub->show();
    form->show();
    form->setFocus();
}

void MainForm::refitFillingWindows()
{
    const QRect client = m_area->viewport()->rect();
    for (QMdiSubWindow *sub : m_area->subWindowList()) {
        const QVariant filled = sub->property(kFilledGeometry);
        if (!filled.isValid() || sub->isMaximized() || sub->isMinimized())
            continue;
        // Moved or resized by the user: left where the user put it.
        if (sub->geometry() != filled.toRect()) {
            sub->setProperty(kFilledGeometry, QVariant());
            continue;
        }
        sub->setGeometry(client);
        sub->setProperty(kFilledGeometry, sub->geometry());
    }
}

void MainForm::openFileFromToolbar()
{
    QString name = ShowOpenDialog(QStringLiteral("打开"), QStringLiteral("报价数据 (*.xdt)"), programFolder());
    if (name.isEmpty()) {
        messages().warning(QStringLiteral("请选择要打开的文件名后重试!"));
        return;
    }
    if (name.right(3).toLower() != QStringLiteral("xdt"))
        name += QStringLiteral(".xdt");
    // The tables keep their data when the load fails, so the path stays too.
    const QString previous = appState().currentFilePath;
    appState().currentFilePath = name;
    if (!OpenFile(name))
        appState().currentFilePath = previous;
}

void MainForm::closeEvent(QCloseEvent *event)
{
    // Closing the main window unloads every window of the program.
    CloseChildWindows();
    m_area->closeAllSubWindows();
    event->accept();
}

} // namespace tarvex
