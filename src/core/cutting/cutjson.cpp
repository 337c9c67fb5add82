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

QJsonObject barObject(const CodePlan &code, const CutBar &bar)
{
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
    return o;
}

// A code without its bars: they are written one by one into its "bars".
QJsonObject codeObject(const CodePlan &code)
{
    return QJsonObject {{QStringLiteral("code"), code.code}, {QStringLiteral("name"), code.name},
        {QStringLiteral("stock"), code.stockMetres()}, {QStringLiteral("cuts"), int(code.pieces.size())},
        {QStringLiteral("bars"), QJsonArray()}, {QStringLiteral("new_bars"), code.newBars()},
        {QStringLiteral("lower_bound"), code.lowerBound()}, {QStringLiteral("proven"), code.proven()}};
}

using Write = std::function<void(const QByteArray &)>;

// An object as QJsonDocument indents it, at depth levels of four spaces,
// without the line end after it.
QByteArray indented(const QJsonObject &object, int depth)
{
    QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented);
    json.chop(1);
    const QByteArray indent(4 * depth, ' ');
    json.replace('\n', QByteArray('\n' + indent));
    return indent + json;
}

// Writes an object at depth whose array `key` (empty in it) receives count
// elements, each written by element(i, depth of the elements), exactly as
// QJsonDocument would have placed them.
void writeWithArray(const Write &write, const QJsonObject &object, int depth, const QString &key, qsizetype count,
    const std::function<void(qsizetype, int)> &element)
{
    const QByteArray json = indented(object, depth);
    const QByteArray open = '"' + key.toUtf8() + "\": [\n";
    const QByteArray empty = open + QByteArray(4 * (depth + 1), ' ') + ']';
    const qsizetype at = json.indexOf(empty);
    if (count == 0 || at < 0) {
        write(json);
        return;
    }
    write(json.left(at + open.size()));
    for (qsizetype i = 0; i < count; ++i) {
        element(i, depth + 2);
        write(i + 1 < count ? ",\n" : "\n");
    }
    write(json.mid(at + open.size()));
}

} // namespace

void writeCutPlanJson(const CutPlan &plan, const std::function<void(const QByteArray &)> &write)
{
    const QJsonObject root {{QStringLiteral("stock"), metres(plan.settings.stock)},
        {QStringLiteral("kerf"), metres(plan.settings.kerf)}, {QStringLiteral("trim"), metres(plan.settings.trim)},
        {QStringLiteral("codes"), QJsonArray()}, {QStringLiteral("too_long"), pieceList(plan.tooLong)},
        {QStringLiteral("invalid"), pieceList(plan.invalid)}};
    writeWithArray(write, root, 0, QStringLiteral("codes"), plan.codes.size(), [&](qsizetype c, int depth) {
        const CodePlan &code = plan.codes[c];
        writeWithArray(write, codeObject(code), depth, QStringLiteral("bars"), code.bars.size(),
            [&](qsizetype b, int barDepth) { write(indented(barObject(code, code.bars[b]), barDepth)); });
    });
    write("\n");
}

QByteArray cutPlanJson(const CutPlan &plan)
{
    QByteArray json;
    writeCutPlanJson(plan, [&json](const QByteArray &piece) { json += piece; });
    return json;
}

} // namespace tarvex
