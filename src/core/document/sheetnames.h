#pragma once

#include <QSet>
#include <QString>

namespace tarvex {

// Hands out worksheet names a spreadsheet accepts: the characters [ ] : * ? /
// and backslash become "_", apostrophes at either end are dropped, names are
// cut to 31 characters, an empty name becomes the fallback, and a name
// already given (compared case-insensitively, as spreadsheets do) gets
// " (2)", " (3)", ...
class SheetNames {
public:
    static constexpr int kMaxLength = 31;

    QString take(const QString &wanted, const QString &fallback = QStringLiteral("报价表"));
    bool isTaken(const QString &name) const;

private:
    QSet<QString> m_taken; // case-folded
};

} // namespace tarvex
