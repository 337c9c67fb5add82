#pragma once

#include <QString>
#include <QVector>

#include <functional>
#include <optional>

namespace tarvex {

// A profile class as the price prompts see it: material class and 隔热 flag.
struct LcPriceClass {
    QString cls;
    bool thermal = false;
};

// One item of the profile price string: "class/flag/price".
struct LcPriceItem {
    QString cls;
    QString flagText; // "True" or "False"
    QString priceText; // plain decimal text, "0" for no answer
};

// Text form of the 隔热 flag in the price string, and back. Reading accepts
// any letter case and numbers (non-zero is true); other texts give nothing.
QString thermalText(bool thermal);
std::optional<bool> thermalFromText(const QString &text);

// "请输入第1种主材:" + class + ";" + "隔热材的单价:" / "非隔热材的单价:".
QString lcPricePrompt(const LcPriceClass &cls);

// The price of an answer: its leading number in plain text; a cancelled
// (nullopt), empty or non-numeric answer gives "0".
QString lcPriceAnswerText(const std::optional<QString> &answer);

// Asks for one class's price: the answer typed, or nullopt when cancelled.
using LcPriceAsk = std::function<std::optional<QString>(const LcPriceClass &cls, const QString &prompt)>;

// lcPrice: asks the price per kilogram of every profile class of the project
// (QuoteGroups::classes) and returns the items joined by "\" (empty when the
// project has no profiles).
QString lcPrice(const QVector<LcPriceClass> &classes, const LcPriceAsk &ask);

QString joinLcPriceItems(const QVector<LcPriceItem> &items);
// Splits at "\" and each item at its last two "/", so a class name holding
// "/" survives the round trip.
QVector<LcPriceItem> splitLcPriceString(const QString &text);

} // namespace tarvex
