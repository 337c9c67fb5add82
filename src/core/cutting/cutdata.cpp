#include "core/cutting/cutdata.h"

#include "core/common/db/database.h"
#include "core/common/db/dialect.h"
#include "core/common/error.h"
#include "core/common/keytext.h"
#include "core/cutting/remnants.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <cmath>
#include <limits>

namespace tarvex {

namespace {

std::optional<double> optionalNumber(const QVariant &v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (v.isNull() || !ok)
        return std::nullopt;
    return d;
}

} // namespace

QVector<CutCode> readCutCodes(QSqlDatabase db, const QStringList &onlyCodes, bool withRemnants)
{
    // Code, name, weight and stock come with every piece, so that a code
    // matches its price and stock rows exactly as the priced views match it.
    // Codes are keys: kf601 and KF601 are one code, under its first spelling.
    // Pieces of one code, window and length in the order they were loaded.
    const QString sql
        = QStringLiteral("SELECT l.代号, m.门窗系列, m.窗号, l.长度, p.名称, p.线重, s.定尺 FROM LcTemp l "
                         "LEFT JOIN MjTemp m ON m.ID = l.ID "
                         "LEFT JOIN (SELECT 代号, MIN(编号) AS 编号 FROM lcName GROUP BY 代号) k ON k.代号 = l.代号 "
                         "LEFT JOIN lcName p ON p.编号 = k.编号 "
                         "LEFT JOIN lcStock s ON s.代号 = l.代号 "
                         "ORDER BY l.代号 NULLS FIRST, m.窗号 NULLS FIRST, l.长度 DESC NULLS LAST, l.rowid");
    QSet<QString> wanted;
    for (const QString &code : onlyCodes)
        wanted.insert(foldedKey(code));
    QVector<CutCode> codes;
    // Many pieces name the same series and window: one copy of each text.
    QSet<QString> texts;
    auto shared = [&texts](const QString &text) { return *texts.insert(text); };
    inTransaction(db, [&] {
        QSqlQuery query = sqlExec(sql, {}, db);
        while (query.next()) {
            const QString code = query.value(0).toString();
            if (!wanted.isEmpty() && !wanted.contains(foldedKey(code)))
                continue;
            if (codes.isEmpty() || !sameKey(codes.last().code, code)) {
                CutCode c;
                c.code = code;
                c.name = query.value(4).toString();
                c.weightPerMetre = optionalNumber(query.value(5));
                c.stock = optionalNumber(query.value(6));
                codes.append(c);
            }
            CutPiece piece;
            piece.code = codes.last().code;
            piece.series = shared(query.value(1).toString());
            piece.window = shared(query.value(2).toString());
            piece.length = optionalNumber(query.value(3)).value_or(std::numeric_limits<double>::quiet_NaN());
            codes.last().pieces.append(piece);
        }
        if (!withRemnants)
            return;
        QHash<QString, int> byCode;
        for (int c = 0; c < codes.size(); ++c)
            byCode.insert(foldedKey(codes[c].code), c);
        for (const Remnant &r : readRemnants(db)) {
            const auto it = byCode.constFind(foldedKey(r.code));
            if (it != byCode.constEnd() && checkRemnant(r).isEmpty())
                codes[*it].remnants.append(r);
        }
    });
    return codes;
}

QString stockGridQuery()
{
    // Each code spelt as where it first appears.
    return QStringLiteral("SELECT c.代号 AS 代号, p.名称 AS 名称, s.定尺 AS 定尺 FROM (SELECT 代号 FROM ")
        + groupedRows(QStringLiteral("LcTemp"), QStringLiteral("代号"))
        + QStringLiteral(" GROUP BY 代号) c "
                         "LEFT JOIN (SELECT 代号, MIN(编号) AS 编号 FROM lcName GROUP BY 代号) k ON k.代号 = c.代号 "
                         "LEFT JOIN lcName p ON p.编号 = k.编号 "
                         "LEFT JOIN lcStock s ON s.代号 = c.代号 ORDER BY c.代号 NULLS FIRST");
}

void setStockLength(QSqlDatabase db, const QString &code, std::optional<double> metres)
{
    if (metres) {
        const QString problem = checkStockLength(*metres);
        if (!problem.isEmpty())
            throw Error(problem + QStringLiteral(": ") + code);
    }
    inTransaction(db, [&] {
        sqlExec(QStringLiteral("DELETE FROM lcStock WHERE 代号=?"), {code}, db);
        if (metres)
            sqlExec(QStringLiteral("INSERT INTO lcStock (代号,定尺) VALUES(?,?)"),
                {code, fromCutUnits(toCutUnits(*metres))}, db);
    });
}

} // namespace tarvex
