#pragma once

#include "core/common/db/database.h"
#include "core/offer/offer.h"

#include <QByteArray>
#include <QDateTime>
#include <QVariantList>

#include <functional>
#include <optional>

namespace tarvex {

// An offer as the register keeps it: what it stated and the PDF it printed.
struct RecordedOffer {
    Offer offer;
    QByteArray pdf;
    QDateTime issuedAt;
};

// Lays the numbered offer out and returns its PDF.
using OfferRenderer = std::function<QByteArray(const Offer &)>;

// Issues an offer: the next number of the pattern on offer.date (today when
// not set), then render, then the offer, its lines and the PDF are recorded,
// all in one write transaction, so two programs issuing at once get
// different numbers and a failure uses no number and records nothing.
// Throws Error.
RecordedOffer issueOffer(
    Offer offer, const QString &pattern, const OfferRenderer &render, QSqlDatabase db = Database::shared());

// A revision of a recorded offer (itself a revision or not): the first
// offer's number with the next -R<n>, stating the total of the offer it
// replaces. Throws Error when that offer is not recorded.
RecordedOffer issueRevision(
    Offer revised, const QString &replacedNumber, const OfferRenderer &render, QSqlDatabase db = Database::shared());

// The offer with its lines and PDF; nothing when no offer has the number.
std::optional<RecordedOffer> readOffer(const QString &number, QSqlDatabase db = Database::shared());

// Removes an offer and its lines (its number is not given again). Throws
// Error when no offer has the number.
void deleteOffer(const QString &number, QSqlDatabase db = Database::shared());

// Which offers the register lists, and in which order.
struct OfferFilter {
    QString customer; // part of the customer's name, any case of letters
    QString project;
    QDate from; // offers dated on or after; not set for any
    QDate to;
    int sortColumn = 0; // a column of offerListColumns()
    bool descending = false;
};

// The register's columns, as the list shows them.
QStringList offerListColumns();

// The list as one statement and its values (for the grid and tarvex-cli),
// ties ordered by number.
struct OfferListQuery {
    QString sql;
    QVariantList values;
};
OfferListQuery offerListQuery(const OfferFilter &filter);

} // namespace tarvex
