#include "core/offer/offersettings.h"

#include "core/common/error.h"
#include "core/common/io/ini.h"
#include "core/common/io/paths.h"
#include "core/common/numbers.h"
#include "core/offer/offernumber.h"

#include <QDir>

namespace tarvex {

namespace {

const QString kSection = QStringLiteral("offer");

QString defaultTerms()
{
    return QStringLiteral("1. 面积按本报价单所列的面积依据计算, 以现场实测为准, 按实结算;\\n"
                          "2. 本报价在有效期内有效, 逾期请重新询价。");
}

} // namespace

OfferSettings readOfferSettings(const QString &iniPath)
{
    auto read = [&](const char *key) { return ReadIni(iniPath, kSection, QLatin1String(key)); };
    OfferSettings s;
    s.firm = {read("firm"), read("address"), read("phone"), read("logo")};
    s.pattern = read("pattern");
    if (s.pattern.isEmpty())
        s.pattern = defaultOfferNumberPattern();
    s.terms = read("terms");
    if (s.terms.isEmpty())
        s.terms = defaultTerms();
    if (const auto scope = offerScopeFromName(read("scope")))
        s.scope = *scope;
    bool ok = false;
    const int days = read("validity").toInt(&ok);
    if (ok && days > 0)
        s.validityDays = days;
    double tax;
    if (parseNumber(read("tax"), &tax) && tax >= 0 && tax <= 100)
        s.taxPercent = tax;
    return s;
}

void writeOfferChoices(const QString &iniPath, const OfferSettings &settings)
{
    QString error;
    if (!WriteIni(iniPath, kSection,
            {{QStringLiteral("scope"), offerScopeName(settings.scope)},
                {QStringLiteral("validity"), QString::number(settings.validityDays)},
                {QStringLiteral("tax"), settings.taxPercent ? plainNumber(*settings.taxPercent) : QString()}},
            &error))
        throw Error(error);
}

QStringList termLines(const QString &terms)
{
    QStringList lines;
    for (const QString &line : terms.split(QStringLiteral("\\n"))) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines;
}

QString logoPath(const FirmHeader &firm)
{
    if (firm.logo.isEmpty())
        return QString();
    return QDir::isAbsolutePath(firm.logo) ? firm.logo : programFile(firm.logo);
}

} // namespace tarvex
