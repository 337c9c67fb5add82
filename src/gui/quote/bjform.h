#pragma once

#include "core/common/db/database.h"
#include "core/document/pagedocument.h"
#include "core/prices/datacheckresult.h"
#include "core/quote/quotefigures.h"
#include "core/quote/quoterun.h"
#include "core/quote/quotesettings.h"
#include "gui/common/statustext.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <optional>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tarvex {

// bjForm "报价计算及输出": the quotation options, kept in section "cs1" of
// cs.ini, and the two quotation runs (paper and spreadsheet).
class BjForm : public QDialog {
    Q_OBJECT
public:
    using PaperOutput = std::function<bool(const QuoteRun &)>;
    using ExcelOutput = std::function<QString(QuoteRun &&, const std::function<void(int)> &)>;

    explicit BjForm(QWidget *parent = nullptr);
    ~BjForm() override;

    // The outputs a run ends in; showPaperQuotation (its pages handed on by
    // paperQuotationReady) and writeExcelQuotation unless a test puts its own.
    void setOutputs(PaperOutput paper, ExcelOutput excel);

    // The controls as settings and as the options of a run.
    QuoteSettings settings() const;
    QuoteOptions options() const;
    void loadOptions();
    void saveOptions();

    // Command1 "计算报价" and Command2 "输出Excel".
    void paperQuotation();
    void excelQuotation();

    void done(int result) override;

signals:
    // The pages of the paper quotation, for the main window's preview.
    void paperQuotationReady(const PageDocument &pages, const QString &title);
    // Notes of the entry dialogs opened from the missing price list.
    void statusText(StatusPanel panel, const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void applySettings(const QuoteSettings &settings);
    void updateSignatureBoxes();
    // The calculation of Command1/Command2: check, prices, figures; false
    // when the check ended the run.
    bool calculate(QuoteRun &run, NullPrices nullPrices, const std::function<bool(DataCheckResult)> &goOnWithout);
    // calculate; when the check ends the run, the missing price list is
    // offered, and the run starts again once nothing is missing.
    bool calculateOrMendPrices(
        QuoteRun &run, NullPrices nullPrices, const std::function<bool(DataCheckResult)> &goOnWithout);
    void startProgress(int maximum);
    void stepProgress();
    void setProgress(int value);
    void showWarnings(const QStringList &warnings);

    QRadioButton *m_option[5];
    QLineEdit *m_text[8];
    QCheckBox *m_check[4];
    QPushButton *m_command[3];
    QProgressBar *m_proBar;
    PaperOutput m_paper;
    ExcelOutput m_excel;
    bool m_running = false;
    QElapsedTimer m_sinceRepaint;
    // From the calculation to the end of the output the run reads one state
    // of the project (another program may load one meanwhile); released
    // while the user mends prices.
    std::optional<ReadTransaction> m_snapshot;
};

} // namespace tarvex
