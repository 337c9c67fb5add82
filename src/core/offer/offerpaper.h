#pragma once

#include "core/document/pagedocument.h"
#include "core/offer/offer.h"
#include "core/offer/offersettings.h"

#include <QImage>
#include <QStringList>

namespace tarvex {

// What every offer of the firm carries besides its own figures.
struct OfferLetterhead {
    FirmHeader firm;
    QImage logo; // null for none
    QStringList terms;
};

// The letterhead of the settings, the logo read from its file. Throws Error
// naming the file when a logo is set but cannot be read.
OfferLetterhead offerLetterhead(const OfferSettings &settings);

// The offer as A4 pages: the firm's header and logo, customer, project,
// number, date and validity; one table row per line, per window number a
// subtotal after each series; 合计, 优惠, 税金, 总计 and the 总计 in words;
// the terms and the signature lines; on every page its number and
// "共n页,第k页". Continuation pages repeat the table's headings.
PageDocument offerPages(const Offer &offer, const OfferLetterhead &letterhead);

// The pages as the bytes of a PDF file (with a searchable text layer), the
// offer's number as its title. Throws Error.
QByteArray offerPdf(const PageDocument &pages, const Offer &offer);
QByteArray offerPdf(const Offer &offer, const OfferLetterhead &letterhead);

// "报价单 BJ20260105-001"
QString offerTitle(const Offer &offer);

} // namespace tarvex
