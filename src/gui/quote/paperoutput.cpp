#include "quote/quoteoutputs.h"

#include "app/mainform.h"
#include "common/error.h"
#include "common/forms.h"
#include "common/messages.h"
#include "quote/bjshowform.h"
#include "quote/paperquotation.h"

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
