#pragma once

#include <QString>

namespace tarvex {

// The text as an SQL string literal: O'Neil becomes 'O''Neil'.
QString SqlQuote(const QString &text);

} // namespace tarvex
