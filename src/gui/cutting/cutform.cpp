#include "gui/cutting/cutform.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/cutting/cutdata.h"
#include "core/cutting/cutpages.h"
#include "core/cutting/cutsummary.h"
#include "core/cutting/cutworkbook.h"
#include "core/cutting/remnants.h"
#include "core/document/pagepdf.h"
#include "gui/common/filedialogs.h"
#include "gui/common/flexgrid.h"
#include "gui/common/forms.h"
#include "gui/cutting/cutbarsview.h"
#include "gui/cutting/remnantform.h"
#include "gui/document/pageprint.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QSqlDatabase>
#include <QTableView>
#include <QVBoxLayout>

namespace tarvex {

namespace {

const QString kTitle = QStringLiteral("下料优化");
// Pieces named in the message about the cuts left out.
constexpr int kListedPieces = 12;

QString listPieces(const QString &heading, const QVector<CutPiece> &pieces)
{
    QStringList lines {heading};
    for (int i = 0; i < pieces.size() && i < kListedPieces; ++i)
        lines.append(describePiece(pieces[i]));
    if (pieces.size() > kListedPieces)
        lines.append(QStringLiteral("……共 %1 处").arg(pieces.size()));
    return lines.join(QLatin1Char('\n'));
}

QLineEdit *lengthBox(const QString &name, double metres)
{
    auto *box = new QLineEdit(QString::number(metres, 'g', 10));
    box->setObjectName(name);
    box->setMaximumWidth(90);
    return box;
}

} // namespace

CutForm::CutForm(QWidget *parent)
    : QWidget(parent)
    , m_model(new CutSummaryModel(this))
{
    setObjectName(QStringLiteral("CutForm"));
    setWindowTitle(kTitle);
    const CutSettings settings = readCutSettings(iniPath());

    auto *box = new QGroupBox(QStringLiteral("下料参数"));
    auto *row = new QHBoxLayout(box);
    m_stock = lengthBox(QStringLiteral("Text1"), settings.stock);
    m_kerf = lengthBox(QStringLiteral("Text2"), settings.kerf);
    m_trim = lengthBox(QStringLiteral("Text3"), settings.trim);
    const std::pair<const char *, QLineEdit *> boxes[]
        = {{"定尺(m)", m_stock}, {"锯缝(m)", m_kerf}, {"端头切除(m)", m_trim}};
    for (const auto &[label, edit] : boxes) {
        auto *caption = new QLabel(QString::fromUtf8(label));
        caption->setBuddy(edit);
        row->addWidget(caption);
        row->addWidget(edit);
        connect(edit, &QLineEdit::returnPressed, this, &CutForm::compute);
    }
    auto button = [&](const char *name, const char *text) {
        auto *b = new QPushButton(QString::fromUtf8(text));
        b->setObjectName(QString::fromUtf8(name));
        row->addWidget(b);
        return b;
    };
    m_useRemnants = new QCheckBox(QStringLiteral("使用余料"));
    m_useRemnants->setObjectName(QStringLiteral("Check1"));
    m_useRemnants->setChecked(true);
    m_useRemnants->setToolTip(QStringLiteral("先用余料库中同代号的余料, 再用新料"));
    row->addWidget(m_useRemnants);
    m_compute = button("Command1", "计算");
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("ProBar"));
    m_progress->setMinimumWidth(160);
    m_progress->setVisible(false);
    row->addWidget(m_progress);
    row->addStretch(1);
    m_print = button("Command2", "打印");
    m_pdf = button("Command3", "导出PDF");
    m_excel = button("Command4", "输出Excel");
    m_confirm = button("Command5", "确认下料");
    m_confirm->setToolTip(QStringLiteral("按此方案下料: 记录余料, 取走用掉的余料"));
    m_remnants = button("Command6", "余料库");
    connect(m_compute, &QPushButton::clicked, this, &CutForm::compute);
    connect(m_print, &QPushButton::clicked, this, &CutForm::printDocument);
    connect(m_pdf, &QPushButton::clicked, this, &CutForm::exportPdf);
    connect(m_excel, &QPushButton::clicked, this, &CutForm::exportWorkbook);
    connect(m_confirm, &QPushButton::clicked, this, &CutForm::confirmCut);
    connect(m_remnants, &QPushButton::clicked, this, [this] {
        RemnantForm form(this);
        form.exec();
    });

    m_stockGrid = new FlexGrid;
    m_stockGrid->setObjectName(QStringLiteral("Flex1"));
    m_stockGrid->horizontalHeader()->setDefaultSectionSize(80);
    m_stockGrid->setToolTip(QStringLiteral("双击一行 (或按 Enter) 修改该代号的定尺;定尺为空时用默认定尺"));
    m_stockGrid->installEventFilter(this);
    connect(m_stockGrid, &FlexGrid::cellDoubleClicked, this, [this](int row, int) { editStock(row); });

    m_summary = new QTableView;
    m_summary->setObjectName(QStringLiteral("Flex2"));
    m_summary->setModel(m_model);
    m_summary->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_summary->setSelectionMode(QAbstractItemView::SingleSelection);
    m_summary->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_summary->setFont(QFont(QStringLiteral("宋体"), 10));
    m_summary->setStyleSheet(QStringLiteral("QTableView { gridline-color: #c0c0c0; selection-background-color: "
                                            "#FFFFC0; selection-color: black; }"));
    m_summary->verticalHeader()->setDefaultSectionSize(m_summary->fontMetrics().height() + 8);
    m_summary->horizontalHeader()->setDefaultSectionSize(76);
    connect(m_summary->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) { showCode(current.row()); });

    m_bars = new CutBarsView;
    m_bars->setObjectName(QStringLiteral("Picture1"));
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("Label1"));

    auto *left = new QWidget;
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(new QLabel(QStringLiteral("各代号定尺 (双击或按 Enter 修改)")));
    leftLayout->addWidget(m_stockGrid);
    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(m_summary);
    right->addWidget(m_bars);
    right->setStretchFactor(0, 2);
    right->setStretchFactor(1, 3);
    auto *split = new QSplitter(Qt::Horizontal);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(1, 3);
    split->setSizes({300, 900});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(split, 1);
    layout->addWidget(m_status);
    resize(1200, 760);

    setRunning(false);
    try {
        loadStockGrid();
    } catch (const Error &e) {
        reportError(e.message());
    }
}

CutForm::~CutForm()
{
    stopWorker();
}

void CutForm::closeEvent(QCloseEvent *event)
{
    stopWorker();
    event->accept();
}

bool CutForm::eventFilter(QObject *watched, QEvent *event)
{
    // Enter (or F2) on the stock grid edits the current code's stock, as a
    // double click does.
    if (watched == m_stockGrid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2) {
            editStock(m_stockGrid->row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CutForm::stopWorker()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

const CutPlan &CutForm::plan() const
{
    return m_model->plan();
}

void CutForm::loadStockGrid()
{
    m_stockGrid->load(stockGridQuery(), Database::shared());
}

void CutForm::editStock(int row)
{
    if (row < 1 || row >= m_stockGrid->rows() || m_stockGrid->recordCount() == 0)
        return;
    const QString code = m_stockGrid->textMatrix(row, 0);
    const std::optional<QString> answer
        = messages().input(QStringLiteral("代号 ") + code + QStringLiteral(" 的定尺(米),为空时用默认定尺:"), kTitle,
            m_stockGrid->textMatrix(row, 2));
    if (!answer)
        return;
    try {
        std::optional<double> metres;
        if (!answer->trimmed().isEmpty()) {
            double value;
            QString error;
            if (!parseCutLength(*answer, QStringLiteral("定尺"), &value, &error)) {
                messages().warning(error);
                return;
            }
            metres = value;
        }
        setStockLength(Database::shared(), code, metres);
        loadStockGrid();
        m_stockGrid->setRow(row);
    } catch (const Error &e) {
        messages().warning(e.message());
    }
}

bool CutForm::compute()
{
    if (isComputing())
        return false;
    CutSettings settings = readCutSettings(iniPath());
    const std::pair<QLineEdit *, double *> boxes[]
        = {{m_stock, &settings.stock}, {m_kerf, &settings.kerf}, {m_trim, &settings.trim}};
    const QString labels[] = {QStringLiteral("定尺"), QStringLiteral("锯缝"), QStringLiteral("端头切除")};
    for (int i = 0; i < 3; ++i) {
        QString error;
        if (!parseCutLength(boxes[i].first->text(), labels[i], boxes[i].second, &error)) {
            messages().warning(error);
            boxes[i].first->setFocus();
            boxes[i].first->selectAll();
            return false;
        }
    }
    const QString problem = checkCutSettings(settings);
    if (!problem.isEmpty()) {
        messages().warning(problem);
        return false;
    }
    try {
        writeCutSettings(iniPath(), settings);
    } catch (const Error &e) {
        // The plan does not need the file: say so and go on.
        reportError(e.message());
    }
    if (m_worker.joinable())
        m_worker.join();
    m_cancel = false;
    m_finished = false;
    setRunning(true);

    // The worker reads the project on a connection of its own and hands the
    // plan back to this window's thread; a closed window gets nothing.
    const bool useRemnants = m_useRemnants->isChecked();
    QPointer<CutForm> self(this);
    m_worker = std::thread([self, settings, useRemnants, cancel = &m_cancel]() {
        const QString connection = QStringLiteral("cutting-worker");
        CutPlan plan;
        QString failure;
        try {
            QVector<CutCode> codes;
            {
                QSqlDatabase db = Database::openAnother(connection);
                codes = readCutCodes(db, {}, useRemnants);
            }
            Database::close(connection);
            CutProgress progress;
            progress.cancel = cancel;
            progress.step = [self](int done, int total) {
                QMetaObject::invokeMethod(
                    self.data(),
                    [self, done, total] {
                        if (self) {
                            self->m_progress->setRange(0, total);
                            self->m_progress->setValue(done);
                        }
                    },
                    Qt::QueuedConnection);
            };
            plan = planCuts(codes, settings, progress);
        } catch (const Error &e) {
            failure = e.message();
            Database::close(connection);
        }
        if (cancel->load())
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, plan, failure] {
                if (!self)
                    return;
                if (failure.isEmpty())
                    self->showPlan(plan);
                else
                    self->runFailed(failure);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void CutForm::setRunning(bool running)
{
    m_compute->setEnabled(!running);
    m_useRemnants->setEnabled(!running);
    for (QLineEdit *box : {m_stock, m_kerf, m_trim})
        box->setEnabled(!running);
    const bool havePlan = !running && !m_model->plan().codes.isEmpty();
    for (QPushButton *b : {m_print, m_pdf, m_excel})
        b->setEnabled(havePlan);
    m_confirm->setEnabled(havePlan && !m_confirmed);
    m_progress->setVisible(running);
    if (running) {
        m_progress->setRange(0, 0);
        m_status->setText(QStringLiteral("正在计算下料方案..."));
    }
}

void CutForm::runFailed(const QString &message)
{
    m_finished = true;
    setRunning(false);
    m_status->clear();
    reportError(message);
    emit computed();
}

void CutForm::showPlan(const CutPlan &plan)
{
    m_finished = true;
    m_confirmed = false;
    m_model->setPlan(plan);
    setRunning(false);
    int proven = 0;
    for (const CodePlan &c : plan.codes)
        proven += c.proven();
    m_status->setText(QStringLiteral("%1 个代号,用料 %2 根,理论最少 %3 根;%4 个代号已证为最少根数")
                          .arg(plan.codes.size())
                          .arg(plan.barCount())
                          .arg(plan.lowerBoundTotal())
                          .arg(proven));
    if (!plan.codes.isEmpty())
        m_summary->selectRow(0);
    else
        m_bars->setCode(CodePlan(), plan);
    QStringList problems;
    if (plan.codes.isEmpty() && plan.tooLong.isEmpty() && plan.invalid.isEmpty())
        problems.append(QStringLiteral("工程中没有主材切割数据"));
    if (!plan.tooLong.isEmpty())
        problems.append(listPieces(QStringLiteral("以下切割超过定尺,未排入下料:"), plan.tooLong));
    if (!plan.invalid.isEmpty())
        problems.append(listPieces(QStringLiteral("以下切割长度无效,未排入下料:"), plan.invalid));
    problems += plan.warnings;
    if (!problems.isEmpty())
        messages().warning(problems.join(QStringLiteral("\n\n")));
    emit computed();
}

void CutForm::showCode(int row)
{
    const CutPlan &plan = m_model->plan();
    if (row >= 0 && row < plan.codes.size())
        m_bars->setCode(plan.codes[row], plan);
}

void CutForm::printDocument()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    printer.setDocName(kTitle);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印"));
    if (dialog.exec() == QDialog::Accepted)
        printTo(&printer);
}

bool CutForm::printTo(QPrinter *printer)
{
    try {
        if (printPageDocument(printer, cutPlanPages(plan())))
            return true;
        reportError(QStringLiteral("无法打印到 ") + printer->printerName());
    } catch (const Error &e) {
        reportError(e.message());
    }
    return false;
}

bool CutForm::exportPdf()
{
    return exportPdfAsked([this](const QString &path) { writePagesPdf(cutPlanPages(plan()), path, kTitle); });
}

QString CutForm::exportWorkbook()
{
    const QString path = defaultCutWorkbookPath();
    try {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("无法创建文件夹 ") + QDir::toNativeSeparators(folder));
        writeCutWorkbook(path, plan());
    } catch (const Error &e) {
        reportError(e.message());
        return QString();
    }
    openWithDesktop(path);
    messages().information(QStringLiteral("下料数据输出完成!") + QLatin1Char('\n') + QDir::toNativeSeparators(path));
    return path;
}

bool CutForm::confirmCut()
{
    const CutPlan &current = plan();
    if (current.codes.isEmpty() || m_confirmed || isComputing())
        return false;
    const QString project = QFileInfo(appState().currentFilePath).fileName();
    const QDate today = QDate::currentDate();
    int taken = 0;
    for (const CodePlan &code : current.codes)
        taken += code.remnantBars();
    const QString question = QStringLiteral("是否确认按此方案下料?\n将记录余料 %1 段, 取走余料 %2 段.")
                                 .arg(offcutsToKeep(current, project, today).size())
                                 .arg(taken);
    if (!messages().confirmDeletion(question))
        return false;
    try {
        CutConfirmation done;
        try {
            done = confirmCutPlan(Database::shared(), current, project, today);
        } catch (const RepeatedConfirmation &e) {
            if (!messages().confirmDeletion(e.message() + QStringLiteral("\n是否仍要再次确认?")))
                return false;
            done = confirmCutPlan(Database::shared(), current, project, today, ConfirmAgain::Allow);
        }
        m_confirmed = true;
        m_confirm->setEnabled(false);
        messages().information(confirmationText(done));
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    return true;
}

QWidget *createCutForm()
{
    return new CutForm;
}

} // namespace tarvex
