#pragma once

#include <QString>

namespace tarvex {

// Key texts (codes, names, specifications, classes) compare without regard
// to the case of ASCII letters, as the working database's key columns do
// (COLLATE NOCASE): a project's kf601 is the price table's KF601. Other
// letters compare as they are.
QString foldedKey(const QString &text);
bool sameKey(const QString &a, const QString &b);

} // namespace tarvex
