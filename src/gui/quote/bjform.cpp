#include "gui/quote/bjform.h"

#include "core/common/appstate.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/offer/offerpaper.h"
#include "core/offer/offersequence.h"
#include "core/quote/datacheck.h"
#include "core/quote/quotesequence.h"
#include "gui/common/forms.h"
#include "gui/prices/missingpriceform.h"
#include "gui/quote/quoteoutputs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace tarvex {

namespace {

// The quotation sequence, a missing price of a glass or accessory handled as
// nullPrices says.
BjForm::Sequence quoteSequence(NullPrices nullPrices)
{
    return [nullPrices](QuoteRun &run, const QuoteSteps &steps) { return runQuoteCalculation(run, nullPrices, steps); };
}

// The paper quotation's answer to a missing price: it refuses.
bool refuseMissingPrice(DataCheckResult check)
{
    messages().warning(dataCheckMessage(check));
    return false;
}

// 7335 twips at 15 twips a pixel.
constexpr int kProBarWidth = 489;

QString numberedName(const char *prefix, int number)
{
    return QLatin1String(prefix) + QString::number(number);
}

QGroupBox *frame(QWidget *parent, int number, const QString &caption)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(numberedName("Frame", number));
    return box;
}

} // namespace

BjForm::BjForm(QWidget *parent)
    : QDialog(parent)
    , m_paper([this](const QuoteRun &run) {
        return showPaperQuotation(
            run, [this](const PageDocument &pages, const QString &title) { emit paperQuotationReady(pages, title); });
    })
    , m_excel(writeExcelQuotation)
{
    setObjectName(QStringLiteral("bjForm"));
    setWindowTitle(QStringLiteral("报价计算及输出"));
    setModal(true);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setSmallDialogFrame(this);
    buildControls();
    loadOptions();
}

BjForm::~BjForm()
{
    // Unloaded while open (the main window closing): the options are kept too.
    if (isVisible())
        saveOptions();
}

void BjForm::buildControls()
{
    auto *frame1 = frame(this, 1, QStringLiteral("计算选项"));
    auto *frame2 = frame(this, 2, QStringLiteral("材料损耗"));
    auto *frame3 = frame(this, 3, QStringLiteral("标题选项"));
    auto *frame4 = frame(this, 4, QStringLiteral("面积选项"));
    auto *frame5 = frame(this, 5, QStringLiteral("会签栏"));

    const QString optionCaptions[5] = {QStringLiteral("按整体计算"), QStringLiteral("按门窗系列计算"),
        QStringLiteral("按门窗编号计算"), QStringLiteral("按框外围面积计算"), QStringLiteral("按洞口外围面积计算")};
    for (int i = 0; i < 5; ++i) {
        m_option[i] = new QRadioButton(optionCaptions[i], i < 3 ? frame1 : frame4);
        m_option[i]->setObjectName(numberedName("Option", i + 1));
    }
    auto *scopeGroup = new QButtonGroup(this);
    auto *areaGroup = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i)
        (i < 3 ? scopeGroup : areaGroup)->addButton(m_option[i]);
    for (int i = 0; i < 8; ++i) {
        m_text[i] = new QLineEdit(this);
        m_text[i]->setObjectName(numberedName("Text", i + 1));
    }
    const QString checkCaptions[4] = {QStringLiteral("包含窗号或系列"), QString(), QString(), QString()};
    for (int i = 0; i < 4; ++i) {
        m_check[i] = new QCheckBox(checkCaptions[i], i == 0 ? frame3 : frame5);
        m_check[i]->setObjectName(numberedName("Check", i + 1));
    }

    auto *scopeLayout = new QVBoxLayout(frame1);
    for (int i = 0; i < 3; ++i)
        scopeLayout->addWidget(m_option[i]);

    const QString labelCaptions[5] = {QStringLiteral("主材损耗"), QStringLiteral("附件损耗"),
        QStringLiteral("玻璃损耗"), QStringLiteral("项目名称"), QStringLiteral("表格标题")};
    auto addLabelled = [&](QGridLayout *grid, int row, int index) {
        auto *label = new QLabel(labelCaptions[index], grid->parentWidget());
        label->setObjectName(numberedName("Label", index + 1));
        label->setBuddy(m_text[index]);
        grid->addWidget(label, row, 0);
        m_text[index]->setParent(grid->parentWidget());
        grid->addWidget(m_text[index], row, 1);
    };
    auto *lossLayout = new QGridLayout(frame2);
    for (int i = 0; i < 3; ++i)
        addLabelled(lossLayout, i, i);

    auto *titleLayout = new QGridLayout(frame3);
    addLabelled(titleLayout, 0, 3);
    addLabelled(titleLayout, 1, 4);
    titleLayout->addWidget(m_check[0], 2, 1);

    auto *areaLayout = new QVBoxLayout(frame4);
    areaLayout->addWidget(m_option[3]);
    areaLayout->addWidget(m_option[4]);

    auto *signLayout = new QGridLayout(frame5);
    for (int i = 0; i < 3; ++i) {
        m_text[5 + i]->setParent(frame5);
        signLayout->addWidget(m_check[1 + i], 0, 2 * i);
        signLayout->addWidget(m_text[5 + i], 0, 2 * i + 1);
        connect(m_check[1 + i], &QCheckBox::toggled, this, &BjForm::updateSignatureBoxes);
    }

    const QString commandCaptions[3]
        = {QStringLiteral("计算报价"), QStringLiteral("输出Excel"), QStringLiteral("关闭")};
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    m_offerButton = new QPushButton(QStringLiteral("客户报价"), this);
    m_offerButton->setObjectName(QStringLiteral("Command4"));
    m_offerButton->setAutoDefault(false);
    m_offerButton->hide();
    for (int i = 0; i < 3; ++i) {
        m_command[i] = new QPushButton(commandCaptions[i], this);
        m_command[i]->setObjectName(numberedName("Command", i + 1));
        m_command[i]->setAutoDefault(false);
        if (i == 2)
            bottom->addWidget(m_offerButton);
        bottom->addWidget(m_command[i]);
    }
    m_proBar = new QProgressBar(this);
    m_proBar->setObjectName(QStringLiteral("ProBar"));
    // As wide as the dialog already is: the dialog keeps its size while it runs.
    m_proBar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_proBar->setMinimum(0);
    m_proBar->setTextVisible(false);
    bottom->addWidget(m_proBar, 1);
    bottom->addStretch();
    connect(m_command[0], &QPushButton::clicked, this, &BjForm::paperQuotation);
    connect(m_command[1], &QPushButton::clicked, this, &BjForm::excelQuotation);
    connect(m_offerButton, &QPushButton::clicked, this, &BjForm::offerQuotation);
    connect(m_command[2], &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });

    auto *grid = new QGridLayout(this);
    grid->addWidget(frame1, 0, 0);
    grid->addWidget(frame2, 0, 1);
    grid->addWidget(frame4, 1, 0);
    grid->addWidget(frame3, 1, 1);
    grid->addWidget(frame5, 2, 0, 1, 2);
    grid->addLayout(bottom, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

void BjForm::setOutputs(PaperOutput paper, ExcelOutput excel)
{
    m_paper = std::move(paper);
    m_excel = std::move(excel);
}

void BjForm::setOfferAsk(OfferAsk ask)
{
    m_offerAsk = std::move(ask);
    m_offerButton->setVisible(bool(m_offerAsk));
}

QuoteSettings BjForm::settings() const
{
    QuoteSettings s;
    for (int i = 0; i < 8; ++i)
        s.text[i] = m_text[i]->text();
    for (int i = 0; i < 5; ++i)
        s.option[i] = m_option[i]->isChecked();
    for (int i = 0; i < 4; ++i)
        s.check[i] = m_check[i]->isChecked() ? 1 : 0;
    return s;
}

QuoteOptions BjForm::options() const
{
    return quoteOptionsFromSettings(settings());
}

void BjForm::applySettings(const QuoteSettings &settings)
{
    const QuoteSettings s = withQuoteDefaults(settings);
    for (int i = 0; i < 8; ++i)
        m_text[i]->setText(s.text[i]);
    for (int i = 0; i < 5; ++i) {
        if (*s.option[i])
            m_option[i]->setChecked(true);
    }
    for (int i = 0; i < 4; ++i)
        m_check[i]->setChecked(*s.check[i] == 1);
    updateSignatureBoxes();
}

void BjForm::loadOptions()
{
    applySettings(readQuoteSettings(iniPath()));
    m_proBar->hide();
}

void BjForm::saveOptions()
{
    QString error;
    if (!writeQuoteSettings(iniPath(), settings(), &error))
        reportError(error);
}

void BjForm::updateSignatureBoxes()
{
    for (int i = 0; i < 3; ++i)
        m_text[5 + i]->setEnabled(m_check[1 + i]->isChecked());
}

void BjForm::done(int result)
{
    // The window cannot go away under a running calculation.
    if (m_running)
        return;
    saveOptions();
    QDialog::done(result);
}

void BjForm::closeEvent(QCloseEvent *event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    // QDialog turns a close into done(), which saves.
    QDialog::closeEvent(event);
}

bool BjForm::calculate(QuoteRun &run, const Sequence &sequence, const std::function<bool(DataCheckResult)> &goOnWithout)
{
    run.options = options();
    QuoteSteps steps;
    steps.goOnWithout = goOnWithout;
    steps.askPrice = [](const LcPriceClass &, const QString &prompt) {
        return messages().input(prompt, QStringLiteral("Tarvex"), QStringLiteral("0"));
    };
    steps.calculating = [this](int maximum) {
        startProgress(maximum);
        m_running = true;
    };
    steps.rowDone = [this] { stepProgress(); };
    m_snapshot.emplace();
    const bool calculated = sequence(run, steps);
    if (!calculated)
        m_snapshot.reset();
    m_running = false;
    return calculated;
}

void BjForm::startProgress(int maximum)
{
    for (QPushButton *button : m_command)
        button->hide();
    m_offerButton->hide();
    m_proBar->setMaximum(qMax(maximum, 1));
    m_proBar->setValue(0);
    m_proBar->show();
}

void BjForm::setProgress(int value)
{
    m_proBar->setValue(qBound(0, value, m_proBar->maximum()));
    // Repaint now and then so the bar moves; clicks wait until the run ends.
    if (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() > 50) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_sinceRepaint.restart();
    }
}

void BjForm::stepProgress()
{
    setProgress(m_proBar->value() + 1);
}

void BjForm::showWarnings(const QStringList &warnings)
{
    if (!warnings.isEmpty())
        messages().warning(warnings.join(QLatin1Char('\n')));
}

bool BjForm::calculateOrMendPrices(
    QuoteRun &run, const Sequence &sequence, const std::function<bool(DataCheckResult)> &goOnWithout)
{
    if (calculate(run, sequence, goOnWithout))
        return true;
    // The check ended the run: the missing price list, and once the user has
    // priced everything there, the run again from the start.
    if (!showMissingPrices(this, true, statusTextOf(this)))
        return false;
    run = QuoteRun();
    return calculate(run, sequence, goOnWithout);
}

void BjForm::paperQuotation()
{
    const auto release = qScopeGuard([this] { m_snapshot.reset(); });
    QuoteRun run;
    try {
        const bool calculated = calculateOrMendPrices(run, quoteSequence(NullPrices::Fail), refuseMissingPrice);
        if (!calculated)
            return;
        showWarnings(run.result.warnings);
    } catch (const Error &e) {
        m_running = false;
        reportError(e.message());
        return;
    }
    m_snapshot.reset(); // the pages are drawn from the figures alone
    hide();
    // The output reports its own failures; the hidden dialog is done either way.
    bool shown = false;
    try {
        shown = m_paper(run);
    } catch (const Error &e) {
        reportError(e.message());
    }
    done(shown ? QDialog::Accepted : QDialog::Rejected);
}

void BjForm::excelQuotation()
{
    const auto release = qScopeGuard([this] { m_snapshot.reset(); });
    QuoteRun run;
    QString written;
    try {
        const bool calculated = calculateOrMendPrices(run, quoteSequence(NullPrices::Zero), [](DataCheckResult check) {
            if (!mayGoOnWithout(check)) {
                messages().warning(dataCheckMessage(check));
                return false;
            }
            return messages().question(dataCheckQuestion(check));
        });
        if (!calculated)
            return;
        showWarnings(run.result.warnings);
        m_running = true;
        written = m_excel(std::move(run), [this](int value) { setProgress(value); });
        m_running = false;
    } catch (const Error &e) {
        m_running = false;
        reportError(e.message());
        return;
    }
    if (!written.isEmpty())
        done(QDialog::Accepted);
}

void BjForm::offerQuotation()
{
    if (!m_offerAsk)
        return;
    std::optional<OfferRequest> request = m_offerAsk(options());
    if (!request)
        return;
    request->sourceFile = appState().currentFilePath;
    const auto release = qScopeGuard([this] { m_snapshot.reset(); });
    QuoteRun run;
    Offer offer;
    try {
        // The same check and prompts as the paper quotation; the windows are
        // read in the calculation's read transaction.
        const bool calculated = calculateOrMendPrices(
            run, [&](QuoteRun &r, const QuoteSteps &steps) { return prepareOffer(r, *request, steps, &offer); },
            refuseMissingPrice);
        if (!calculated)
            return;
        showWarnings(run.result.warnings);
        m_snapshot.reset(); // the register is written next
        PageDocument pages;
        const RecordedOffer recorded = issuePreparedOffer(offer, readOfferSettings(iniPath()), &pages);
        emit statusText(StatusPanel::Note, QStringLiteral("已出具报价 ") + recorded.offer.number);
        emit offerIssued(pages, offerTitle(recorded.offer), recorded.pdf);
    } catch (const Error &e) {
        m_running = false;
        reportError(e.message());
        return;
    }
    done(QDialog::Accepted);
}

} // namespace tarvex
