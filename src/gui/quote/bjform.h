#pragma once

#include "core/common/db/database.h"
#include "core/document/pagedocument.h"
#include "core/offer/offerlines.h"
#include "core/prices/datacheckresult.h"
#include "core/quote/quotefigures.h"
#include "core/quote/quoterun.h"
#include "core/quote/quotesequence.h"
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

    // The core sequence a button runs with the dialog's steps (the quotation
    // sequence, or the offer's around it); false when the check ended it.
    using Sequence = std::function<bool(QuoteRun &run, const QuoteSteps &steps)>;

    explicit BjForm(QWidget *parent = nullptr);
    ~BjForm() override;

    // The outputs a run ends in; showPaperQuotation (its pages handed on by
    // paperQuotationReady) and writeExcelQuotation unless a test puts its own.
    void setOutputs(PaperOutput paper, ExcelOutput excel);

    // What the customer offer asks beside the options (the offer dialog, which
    // the main window gives); without it the "客户报价" button is hidden.
    using OfferAsk = std::function<std::optional<OfferRequest>(const QuoteOptions &options)>;
    void setOfferAsk(OfferAsk ask);

    // The controls as settings and as the options of a run.
    QuoteSettings settings() const;
    QuoteOptions options() const;
    void loadOptions();
    void saveOptions();

    // Command1 "计算报价", Command2 "输出Excel" and Command4 "客户报价": the
    // offer is numbered and recorded, its pages handed on by offerIssued.
    void paperQuotation();
    void excelQuotation();
    void offerQuotation();

    void done(int result) override;

signals:
    // The pages of the paper quotation, for the main window's preview.
    void paperQuotationReady(const PageDocument &pages, const QString &title);
    // The pages of an issued offer and the PDF the register keeps of it.
    void offerIssued(const PageDocument &pages, const QString &title, const QByteArray &pdf);
    // Notes of the entry dialogs opened from the missing price list, and of
    // an issued offer.
    void statusText(StatusPanel panel, const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void applySettings(const QuoteSettings &settings);
    void updateSignatureBoxes();
    // The calculation of a button: check, prices, figures; false when the
    // check ended the run.
    bool calculate(QuoteRun &run, const Sequence &sequence, const std::function<bool(DataCheckResult)> &goOnWithout);
    // calculate; when the check ends the run, the missing price list is
    // offered, and the run starts again once nothing is missing.
    bool calculateOrMendPrices(
        QuoteRun &run, const Sequence &sequence, const std::function<bool(DataCheckResult)> &goOnWithout);
    void startProgress(int maximum);
    void stepProgress();
    void setProgress(int value);
    void showWarnings(const QStringList &warnings);

    QRadioButton *m_option[5];
    QLineEdit *m_text[8];
    QCheckBox *m_check[4];
    QPushButton *m_command[3];
    QPushButton *m_offerButton; // Command4
    OfferAsk m_offerAsk;
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
