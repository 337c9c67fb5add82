#pragma once

#include "core/quote/quoteresult.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tarvex {

// The quotation options as section "cs1" of cs.ini keeps them: tx1..tx8 the
// texts of Text1..Text8, op1..op5 Option1..Option5 as "True"/"False",
// ch1..ch4 Check1..Check4 as 0/1.
struct QuoteSettings {
    QString text[8];
    std::optional<bool> option[5]; // nothing when absent or unreadable
    std::optional<int> check[4];

    // True when the file held none of the option or check keys: the dialog
    // has never been closed, so the texts get their first-run defaults too.
    bool neverSaved() const;
};

// The 17 keys in the order they are read and written.
QStringList quoteSettingKeys();

QuoteSettings readQuoteSettings(const QString &iniFile);
// Writes all 17 keys in order, empty values included, in one write of the
// file. Every option and check must be set. Returns false with a reason when
// the file cannot be written or a text holds a line break; the file is then
// left as it was.
bool writeQuoteSettings(const QString &iniFile, const QuoteSettings &settings, QString *error = nullptr);

// What the dialog would show for these settings: stored values where they
// can be read, else the defaults (whole project, frame area, loss factors 1,
// empty titles, nothing checked).
QuoteSettings withQuoteDefaults(const QuoteSettings &settings);
QuoteOptions quoteOptionsFromSettings(const QuoteSettings &settings);
QuoteSettings quoteSettingsFromOptions(const QuoteOptions &options);

} // namespace tarvex
