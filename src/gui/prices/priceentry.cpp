#include "gui/prices/priceentry.h"

#include "gui/prices/indata.h"
#include "gui/prices/indata1.h"
#include "gui/prices/indata2.h"

#include <memory>

namespace tarvex {

namespace {

EntryDialogRunner &runner()
{
    static EntryDialogRunner run;
    return run;
}

PriceEntryDialog *createEntryDialog(const PriceEntryRequest &request, QWidget *parent)
{
    switch (request.table) {
    case PriceTableId::Profile:
        return new InData(request, parent);
    case PriceTableId::Accessory:
        return new InData1(request, parent);
    default:
        return new InData2(request, parent);
    }
}

} // namespace

PriceEntryRequest addPriceRequest(MaterialKind kind, const MaterialKeys &keys)
{
    PriceEntryRequest request;
    request.caller = EntryCaller::Viewer;
    request.mode = EntryMode::Add;
    request.table = priceTableOf(kind);
    request.caption = QStringLiteral("添加数据");
    request.keys = keys;
    return request;
}

void setEntryDialogRunner(EntryDialogRunner run)
{
    runner() = std::move(run);
}

void showPriceEntryDialog(QWidget *parent, const PriceEntryRequest &request, const std::function<void()> &onSaved,
    const StatusTextSink &status)
{
    std::unique_ptr<PriceEntryDialog> dialog(createEntryDialog(request, parent));
    if (onSaved)
        QObject::connect(dialog.get(), &PriceEntryDialog::saved, dialog.get(), onSaved);
    if (status)
        QObject::connect(dialog.get(), &PriceEntryDialog::statusText, dialog.get(), status);
    dialog->load();
    dialog->setWindowTitle(request.caption);
    dialog->setStepsVisible(request.showSteps);
    if (runner())
        runner()(dialog.get());
    else
        dialog->exec();
}

} // namespace tarvex
