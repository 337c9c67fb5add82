#include "gui/quote/quoteoutputs.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/quote/paperquotation.h"
#include "gui/app/mainform.h"
#include "gui/common/forms.h"
#include "gui/quote/bjshowform.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace tarvex {

bool showPaperQuotation(const QuoteRun &run)
{
    PageDocument document;
    try {
        document = buildPaperQuotation(run);
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    const QString title = run.result.items.first().title;

    // One preview window: a new quotation replaces the pages of the open one.
    if (auto *open = qobject_cast<bjShowForm *>(findForm(QStringLiteral("bjShowForm")))) {
        open->setDocument(document, title);
        if (auto *sub = qobject_cast<QMdiSubWindow *>(open->parentWidget()))
            sub->mdiArea()->setActiveSubWindow(sub);
        return true;
    }
    auto *form = new bjShowForm;
    form->setDocument(document, title);
    if (MainForm *main = MainForm::instance()) {
        main->showChild(form, MainForm::Placement::Fill);
    } else {
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    }
    return true;
}

} // namespace tarvex
