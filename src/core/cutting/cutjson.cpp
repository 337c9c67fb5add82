#include "core/cutting/cutjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarvex {

namespace {

// The length in whole units, so 1.2 is written 1.2 whatever the double held.
double metres(double length)
{
    return fromCutUnits(toCutUnits(length));
}

QJsonArray pieceList(const QVector<CutPiece> &pieces)
{
    QJsonArray list;
    for (const CutPiece &p : pieces) {
        QJsonObject o {{QStringLiteral("code"), p.code}, {QStringLiteral("series"), p.series},
            {QStringLiteral("window"), p.window}};
        o.insert(QStringLiteral("length"), std::isfinite(p.length) ? QJsonValue(metres(p.length)) : QJsonValue());
        list.append(o);
    }
    return list;
}

QJsonObject codeObject(const CodePlan &code)
{
    QJsonArray bars;
    for (const CutBar &bar : code.bars) {
        QJsonArray cuts;
        for (int i : bar.cuts) {
            const CutPiece &p = code.pieces[i];
            cuts.append(QJsonObject {{QStringLiteral("length"), metres(p.length)}, {QStringLiteral("series"), p.series},
                {QStringLiteral("window"), p.window}});
        }
        QJsonObject o {{QStringLiteral("cuts"), cuts}, {QStringLiteral("offcut"), fromCutUnits(bar.offcut)}};
        if (bar.remnant)
            o.insert(QStringLiteral("remnant"),
                QJsonObject {{QStringLiteral("id"), bar.remnant->id},
                    {QStringLiteral("length"), metres(bar.remnant->length)},
                    {QStringLiteral("from"), bar.remnant->origin()}});
        bars.append(o);
    }
    return QJsonObject {{QStringLiteral("code"), code.code}, {QStringLiteral("name"), code.name},
        {QStringLiteral("stock"), code.stockMetres()}, {QStringLiteral("cuts"), int(code.pieces.size())},
        {QStringLiteral("bars"), bars}, {QStringLiteral("new_bars"), code.newBars()},
        {QStringLiteral("lower_bound"), code.lowerBound()}, {QStringLiteral("proven"), code.proven()}};
}

} // namespace

QByteArray cutPlanJson(const CutPlan &plan)
{
    QJsonArray codes;
    for (const CodePlan &code : plan.codes)
        codes.append(codeObject(code));
    const QJsonObject root {{QStringLiteral("stock"), metres(plan.settings.stock)},
        {QStringLiteral("kerf"), metres(plan.settings.kerf)}, {QStringLiteral("trim"), metres(plan.settings.trim)},
        {QStringLiteral("codes"), codes}, {QStringLiteral("too_long"), pieceList(plan.tooLong)},
        {QStringLiteral("invalid"), pieceList(plan.invalid)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace tarvex
