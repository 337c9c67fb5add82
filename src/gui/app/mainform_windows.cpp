// The child windows the toolbar opens, and what they tell the main window.
#include "gui/app/mainform.h"

#include "gui/app/backgroundarea.h"
#include "gui/common/forms.h"
#include "gui/cutting/cutform.h"
#include "gui/offer/offerdialog.h"
#include "gui/offer/offerform.h"
#include "gui/prices/disform.h"
#include "gui/quote/bjform.h"
#include "gui/quote/bjshowform.h"
#include "gui/viewer/dataform.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace tarvex {

void MainForm::showOnly(const std::function<QWidget *()> &create, Placement placement)
{
    CloseChildWindows();
    if (QWidget *window = create())
        showChild(window, placement);
}

void MainForm::activate(QWidget *form)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget()))
        m_area->setActiveSubWindow(sub);
}

void MainForm::setProjectOpen(bool open)
{
    for (QAction *action : projectActions())
        action->setEnabled(open);
}

void MainForm::showViewerWindow(const QString &caption)
{
    showOnly(
        [&] {
            auto *viewer = new DataForm;
            viewer->setWindowTitle(caption);
            connect(viewer, &DataForm::statusText, this, &MainForm::setPanelText);
            connect(viewer, &DataForm::projectOpenChanged, this, &MainForm::setProjectOpen);
            viewer->Load();
            return viewer;
        },
        Placement::Fill);
}

void MainForm::showPriceBrowser(PriceTableId table, const QString &caption)
{
    showOnly(
        [&] {
            auto *browser = new DisForm(table);
            browser->setWindowTitle(caption);
            connect(browser, &DisForm::statusText, this, &MainForm::setPanelText);
            return browser;
        },
        Placement::Fill);
}

void MainForm::runQuotation()
{
    // Modal over the main window; the child windows stay open.
    BjForm form(this);
    form.setOfferAsk([&form](const QuoteOptions &options) { return askOfferRequest(options.project, &form); });
    connect(&form, &BjForm::paperQuotationReady, this, &MainForm::showPaperPreview);
    connect(&form, &BjForm::offerIssued, this, &MainForm::showOfferPreview);
    connect(&form, &BjForm::statusText, this, &MainForm::setPanelText);
    form.exec();
}

void MainForm::showPaperPreview(const PageDocument &pages, const QString &title)
{
    // One preview window: a new quotation replaces the pages of the open one.
    if (auto *open = openChild<bjShowForm>()) {
        open->setDocument(pages, title);
        activate(open);
        return;
    }
    auto *preview = new bjShowForm;
    preview->setDocument(pages, title);
    showChild(preview, Placement::Fill);
}

void MainForm::showOfferPreview(const PageDocument &pages, const QString &title, const QByteArray &pdf)
{
    showPaperPreview(pages, title);
    if (auto *preview = openChild<bjShowForm>())
        preview->setRecordedPdf(pdf);
}

void MainForm::showOffers()
{
    showOnly(
        [&] {
            auto *form = new OfferForm;
            connect(form, &OfferForm::statusText, this, &MainForm::setPanelText);
            connect(form, &OfferForm::offerIssued, this, &MainForm::showOfferPreview);
            form->load();
            return form;
        },
        Placement::Fill);
}

void MainForm::showCutWindow()
{
    // Beside the priced data viewer, as the quotation is.
    if (auto *open = openChild<CutForm>()) {
        activate(open);
        return;
    }
    showChild(createCutForm(), Placement::Fill);
}

} // namespace tarvex
