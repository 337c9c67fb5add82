#include "core/offer/offersequence.h"

#include "core/offer/offerpaper.h"

#include <QHash>

namespace tarvex {

bool prepareOffer(QuoteRun &run, const OfferRequest &request, const QuoteSteps &steps, Offer *offer, QSqlDatabase db)
{
    run.options.scope = quoteScopeOf(request.scope);
    QuoteSteps paperSteps = steps;
    // An offer goes to the customer: every material must have its price.
    paperSteps.goOnWithout = [&steps](DataCheckResult check) {
        if (steps.goOnWithout)
            steps.goOnWithout(check);
        return false;
    };
    const ReadTransaction snapshot(db);
    if (!runQuoteCalculation(run, NullPrices::Fail, paperSteps, db))
        return false;
    *offer = buildOffer(run, readOfferUnits(request.scope, db), request);
    return true;
}

namespace {

// Lays the numbered offer out with the letterhead and keeps its pages.
OfferRenderer printer(const OfferLetterhead &head, PageDocument *pages)
{
    return [&head, pages](const Offer &numbered) {
        PageDocument laid = offerPages(numbered, head);
        QByteArray pdf = offerPdf(laid, numbered);
        if (pages)
            *pages = std::move(laid);
        return pdf;
    };
}

} // namespace

RecordedOffer issuePreparedOffer(
    const Offer &offer, const OfferSettings &settings, PageDocument *pages, QSqlDatabase db)
{
    const OfferLetterhead head = offerLetterhead(settings);
    return issueOffer(offer, settings.pattern, printer(head, pages), db);
}

RecordedOffer issuePreparedRevision(const Offer &offer, const QString &replacedNumber, const OfferSettings &settings,
    PageDocument *pages, QSqlDatabase db)
{
    const OfferLetterhead head = offerLetterhead(settings);
    return issueRevision(offer, replacedNumber, printer(head, pages), db);
}

std::optional<RecordedOffer> reviseRecordedOffer(const RecordedOffer &old, const QuoteOptions &base,
    const QuoteSteps &steps, const std::function<bool(const QStringList &differences)> &mayIssue,
    const OfferSettings &settings, PageDocument *pages, QSqlDatabase db)
{
    QuoteRun run;
    run.options = revisionOptions(old.offer, base);
    Offer revised;
    if (!prepareOffer(run, revisionRequest(old.offer), steps, &revised, db))
        return std::nullopt;
    if (mayIssue && !mayIssue(takeOffDifferences(old.offer, revised)))
        return std::nullopt;
    return issuePreparedRevision(revised, old.offer.number, settings, pages, db);
}

OfferRequest revisionRequest(const Offer &recorded)
{
    OfferRequest request;
    request.customer = recorded.customer;
    request.project = recorded.project;
    request.sourceFile = recorded.sourceFile;
    request.scope = recorded.scope;
    request.discount = recorded.discount;
    request.taxPercent = recorded.taxPercent;
    request.validityDays = recorded.validityDays;
    return request;
}

QuoteOptions revisionOptions(const Offer &recorded, QuoteOptions options)
{
    options.scope = quoteScopeOf(recorded.scope);
    options.areaBasis = recorded.areaBasis;
    options.lossLc = recorded.lossLc;
    options.lossPj = recorded.lossPj;
    options.lossBl = recorded.lossBl;
    return options;
}

std::optional<QString> recordedClassPrice(const Offer &recorded, const LcPriceClass &cls)
{
    for (const LcPriceItem &item : splitLcPriceString(recorded.lcPriceString)) {
        if (item.cls == cls.cls && thermalFromText(item.flagText) == cls.thermal)
            return item.priceText;
    }
    return std::nullopt;
}

QStringList takeOffDifferences(const Offer &before, const Offer &after)
{
    auto label = [](const OfferLine &line) -> QString {
        return line.window.isEmpty() ? QStringLiteral("门窗系列 ") + line.series
                                     : QStringLiteral("窗号 ") + line.window;
    };
    auto describe = [](const OfferLine &line) -> QString {
        return QStringLiteral("%1樘 %2m²").arg(line.count).arg(QString::number(line.area, 'f', 2));
    };
    QHash<QString, const OfferLine *> old;
    for (const OfferLine &line : before.lines)
        old.insert(label(line), &line);
    QStringList differences;
    for (const OfferLine &line : after.lines) {
        const OfferLine *was = old.take(label(line));
        if (!was)
            differences.append(label(line) + QStringLiteral(": 新增 ") + describe(line));
        else if (was->count != line.count || was->area != line.area || was->series != line.series)
            differences.append(
                label(line) + QStringLiteral(": ") + describe(*was) + QStringLiteral(" → ") + describe(line));
    }
    for (const OfferLine &line : before.lines) {
        if (old.contains(label(line)))
            differences.append(label(line) + QStringLiteral(": 不再有"));
    }
    return differences;
}

QString revisionComparison(const Offer &before, const Offer &after)
{
    const OfferTotals &was = before.totals;
    const OfferTotals &now = after.totals;
    const std::pair<QString, std::pair<Fen, Fen>> rows[] = {{QStringLiteral("合计"), {was.subtotal, now.subtotal}},
        {QStringLiteral("优惠"), {was.discount, now.discount}}, {QStringLiteral("税金"), {was.tax, now.tax}},
        {QStringLiteral("总计"), {was.total, now.total}}};
    QString text = QStringLiteral("\t%1\t%2\n").arg(before.number, after.number);
    for (const auto &[caption, figures] : rows)
        text += caption + QLatin1Char('\t') + formatYuan(figures.first) + QLatin1Char('\t') + formatYuan(figures.second)
            + QLatin1Char('\n');
    return text;
}

} // namespace tarvex
