#include "core/document/sheetnames.h"

namespace tarvex {

namespace {

QString cut(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    // Never leave half of a surrogate pair behind.
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QString trimApostrophes(QString text)
{
    while (text.startsWith(QLatin1Char('\'')))
        text.remove(0, 1);
    while (text.endsWith(QLatin1Char('\'')))
        text.chop(1);
    return text;
}

QString cleaned(const QString &wanted)
{
    QString name;
    name.reserve(wanted.size());
    for (const QChar c : wanted) {
        if (QStringLiteral("[]:*?/\\").contains(c) || c.category() == QChar::Other_Control)
            name.append(QLatin1Char('_'));
        else
            name.append(c);
    }
    return name.trimmed();
}

} // namespace

bool SheetNames::isTaken(const QString &name) const
{
    return m_taken.contains(name.toCaseFolded());
}

QString SheetNames::take(const QString &wanted, const QString &fallback)
{
    // Cutting may bring an apostrophe to the end, so trim after cutting too.
    QString base = trimApostrophes(cut(trimApostrophes(cleaned(wanted)), kMaxLength));
    if (base.isEmpty())
        base = fallback;
    QString name = base;
    // Excel keeps "History" for itself.
    for (int n = 2; isTaken(name) || name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        name = trimApostrophes(cut(base, kMaxLength - int(suffix.size()))) + suffix;
    }
    m_taken.insert(name.toCaseFolded());
    return name;
}

} // namespace tarvex
