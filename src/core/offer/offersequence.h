#pragma once

#include "core/common/db/database.h"
#include "core/document/pagedocument.h"
#include "core/offer/offerlines.h"
#include "core/offer/offerregister.h"
#include "core/offer/offersettings.h"
#include "core/quote/quotesequence.h"

namespace tarvex {

// The offer of the working data: the quotation sequence per window number or
// per series (run.options with the request's scope) and the windows read in
// the same read transaction. A missing price ends the run as it ends the
// paper quotation: steps.goOnWithout is told, and its answer is not taken.
// Returns false when the check ended the run. Throws Error.
bool prepareOffer(QuoteRun &run, const OfferRequest &request, const QuoteSteps &steps, Offer *offer,
    QSqlDatabase db = Database::shared());

// Issues a prepared offer with the firm's letterhead and number pattern; the
// register keeps the PDF it printed, *pages (when given) gets its pages.
// Throws Error.
RecordedOffer issuePreparedOffer(const Offer &offer, const OfferSettings &settings, PageDocument *pages = nullptr,
    QSqlDatabase db = Database::shared());

// A revision of a recorded offer recalculated by prepareOffer; states the
// total of the offer it replaces.
RecordedOffer issuePreparedRevision(const Offer &offer, const QString &replacedNumber, const OfferSettings &settings,
    PageDocument *pages = nullptr, QSqlDatabase db = Database::shared());

// A revision of a recorded offer with today's prices over the working data:
// its options and request (revisionOptions, revisionRequest over base), the
// offer sequence, and when the windows differ from the recorded ones,
// goOnDespite(differences) decides. Nothing when the check or the caller
// ended it. Throws Error.
std::optional<RecordedOffer> reviseRecordedOffer(const RecordedOffer &old, const QuoteOptions &base,
    const QuoteSteps &steps, const std::function<bool(const QStringList &differences)> &goOnDespite,
    const OfferSettings &settings, PageDocument *pages = nullptr, QSqlDatabase db = Database::shared());

// What a revision of a recorded offer is asked with: its customer, project,
// scope, discount, tax, validity and source file, and its area basis and
// loss factors over the quotation options.
OfferRequest revisionRequest(const Offer &recorded);
QuoteOptions revisionOptions(const Offer &recorded, QuoteOptions options);

// The price the recorded offer gave a profile class, for the prompt's
// default answer; nothing when the class was not priced then.
std::optional<QString> recordedClassPrice(const Offer &recorded, const LcPriceClass &cls);

// Where the windows of a revision differ from the offer it replaces (window
// number or series, 樘数, area): one text each; empty when only the prices
// changed.
QStringList takeOffDifferences(const Offer &before, const Offer &after);

// The totals of a revision beside those of the offer it replaces, one row
// each: "\tBJ…-001\tBJ…-001-R1", then "合计\t8,667.01\t9,120.44" and so on.
QString revisionComparison(const Offer &before, const Offer &after);

} // namespace tarvex
