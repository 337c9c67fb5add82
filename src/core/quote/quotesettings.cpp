#include "core/quote/quotesettings.h"

#include "core/common/io/ini.h"

namespace tarvex {

namespace {

const QString kSection = QStringLiteral("cs1");

std::optional<bool> readBool(const QString &text)
{
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok)
        return value != 0;
    return std::nullopt;
}

std::optional<int> readInt(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok)
        return value;
    return std::nullopt;
}

// Exactly one button of an option group is set: the first stored True, else
// the default.
void settleGroup(std::optional<bool> *group, int size, int defaultIndex)
{
    int chosen = -1;
    for (int i = 0; i < size; ++i) {
        if (group[i].value_or(false) && chosen < 0)
            chosen = i;
    }
    if (chosen < 0)
        chosen = defaultIndex;
    for (int i = 0; i < size; ++i)
        group[i] = (i == chosen);
}

} // namespace

bool QuoteSettings::neverSaved() const
{
    for (const auto &o : option) {
        if (o)
            return false;
    }
    for (const auto &c : check) {
        if (c)
            return false;
    }
    return true;
}

QStringList quoteSettingKeys()
{
    QStringList keys;
    for (int i = 1; i <= 8; ++i)
        keys.append(QStringLiteral("tx%1").arg(i));
    for (int i = 1; i <= 5; ++i)
        keys.append(QStringLiteral("op%1").arg(i));
    for (int i = 1; i <= 4; ++i)
        keys.append(QStringLiteral("ch%1").arg(i));
    return keys;
}

QuoteSettings readQuoteSettings(const QString &iniFile)
{
    const IniFile ini(iniFile);
    QuoteSettings s;
    for (int i = 0; i < 8; ++i)
        s.text[i] = ini.value(kSection, QStringLiteral("tx%1").arg(i + 1));
    for (int i = 0; i < 5; ++i)
        s.option[i] = readBool(ini.value(kSection, QStringLiteral("op%1").arg(i + 1)));
    for (int i = 0; i < 4; ++i)
        s.check[i] = readInt(ini.value(kSection, QStringLiteral("ch%1").arg(i + 1)));
    return s;
}

bool writeQuoteSettings(const QString &iniFile, const QuoteSettings &s, QString *error)
{
    const QStringList keys = quoteSettingKeys();
    QStringList values;
    for (const QString &t : s.text)
        values.append(t);
    for (const auto &o : s.option)
        values.append(o.value_or(false) ? QStringLiteral("True") : QStringLiteral("False"));
    for (const auto &c : s.check)
        values.append(QString::number(c.value_or(0)));
    QList<IniEntry> entries;
    for (int i = 0; i < keys.size(); ++i)
        entries.append({keys[i], values[i]});
    return WriteIni(iniFile, kSection, entries, error);
}

QuoteSettings withQuoteDefaults(const QuoteSettings &settings)
{
    QuoteSettings s = settings;
    if (settings.neverSaved()) {
        for (int i = 0; i < 3; ++i) {
            if (s.text[i].isEmpty())
                s.text[i] = QStringLiteral("1");
        }
    }
    settleGroup(s.option, 3, 0);
    settleGroup(s.option + 3, 2, 0);
    for (auto &c : s.check) {
        if (!c)
            c = 0;
    }
    return s;
}

QuoteOptions quoteOptionsFromSettings(const QuoteSettings &settings)
{
    const QuoteSettings s = withQuoteDefaults(settings);
    QuoteOptions o;
    o.scope = *s.option[1] ? QuoteOptions::Scope::Series
        : *s.option[2]     ? QuoteOptions::Scope::Window
                           : QuoteOptions::Scope::Whole;
    o.areaBasis = *s.option[4] ? QuoteOptions::AreaBasis::Opening : QuoteOptions::AreaBasis::Frame;
    o.lossLc = s.text[0];
    o.lossPj = s.text[1];
    o.lossBl = s.text[2];
    o.project = s.text[3];
    o.title = s.text[4];
    o.withName = *s.check[0] == 1;
    for (int i = 0; i < 3; ++i) {
        o.sign[i] = *s.check[i + 1] == 1;
        o.signText[i] = s.text[i + 5];
    }
    return o;
}

QuoteSettings quoteSettingsFromOptions(const QuoteOptions &o)
{
    QuoteSettings s;
    s.text[0] = o.lossLc;
    s.text[1] = o.lossPj;
    s.text[2] = o.lossBl;
    s.text[3] = o.project;
    s.text[4] = o.title;
    for (int i = 0; i < 3; ++i) {
        s.text[i + 5] = o.signText[i];
        s.check[i + 1] = o.sign[i] ? 1 : 0;
    }
    s.check[0] = o.withName ? 1 : 0;
    s.option[0] = o.scope == QuoteOptions::Scope::Whole;
    s.option[1] = o.scope == QuoteOptions::Scope::Series;
    s.option[2] = o.scope == QuoteOptions::Scope::Window;
    s.option[3] = o.areaBasis == QuoteOptions::AreaBasis::Frame;
    s.option[4] = o.areaBasis == QuoteOptions::AreaBasis::Opening;
    return s;
}

} // namespace tarvex
