#include "core/cutting/remnants.h"

#include "core/common/db/database.h"
#include "core/common/error.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>

namespace tarvex {

namespace {

// Lengths are kept to 0.1 mm: two lengths closer than half of it are one.
constexpr double kSameLength = 0.00005;

Remnant remnantOf(const QSqlQuery &query)
{
    Remnant r;
    r.id = query.value(0).toLongLong();
    r.code = query.value(1).toString();
    r.length = query.value(2).isNull() ? std::nan("") : query.value(2).toDouble();
    r.project = query.value(3).toString();
    r.date = query.value(4).toString();
    return r;
}

QVariantList rowValues(const Remnant &r)
{
    return {r.code.trimmed(), fromCutUnits(toCutUnits(r.length)), r.project.trimmed(), r.date.trimmed()};
}

QString described(const Remnant &r)
{
    return r.code + QLatin1Char(' ') + formatCutLength(r.length) + QStringLiteral(" m (编号 ") + QString::number(r.id)
        + QLatin1Char(')');
}

// What makes two plans the same plan: every bar of every code, with its
// stock, the remnant it is cut from and each piece's window and length.
QString planDigest(const CutPlan &plan)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    auto add = [&hash](const QString &text) {
        hash.addData(text.toUtf8());
        hash.addData(QByteArrayView("\t"));
    };
    for (const CodePlan &code : plan.codes) {
        add(code.code);
        for (const CutBar &bar : code.bars) {
            add(QStringLiteral("bar %1 %2 %3").arg(bar.length).arg(bar.offcut).arg(bar.remnant ? bar.remnant->id : 0));
            for (int cut : bar.cuts) {
                const CutPiece &piece = code.pieces[cut];
                add(piece.series);
                add(piece.window);
                add(QString::number(toCutUnits(piece.length)));
            }
        }
    }
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

QVector<Remnant> readRemnants(QSqlDatabase db)
{
    QVector<Remnant> remnants;
    QSqlQuery query = sqlExec(
        QStringLiteral("SELECT ID, 代号, 长度, 工程, 日期 FROM lcRemnant ORDER BY 代号, 长度 DESC, ID"), {}, db);
    while (query.next())
        remnants.append(remnantOf(query));
    return remnants;
}

QString remnantGridQuery(CutUnit unit)
{
    // Rounded in the query, so no binary noise of the product shows.
    const QString length = unit == CutUnit::Millimetre ? QStringLiteral("ROUND(长度*10000)/10 AS 长度mm")
                                                       : QStringLiteral("长度 AS 长度m");
    return QStringLiteral("SELECT ID AS 编号, 代号, ") + length
        + QStringLiteral(", 工程, 日期 FROM lcRemnant ORDER BY 代号, 长度 DESC, ID");
}

bool parseRemnantLength(const QString &text, CutUnit unit, double *metres, QString *error)
{
    if (!parseCutLength(text, QStringLiteral("长度(") + unitName(unit) + QLatin1Char(')'), metres, error))
        return false;
    if (unit == CutUnit::Millimetre)
        *metres /= 1000;
    return true;
}

QString checkRemnant(const Remnant &remnant)
{
    if (remnant.code.trimmed().isEmpty())
        return QStringLiteral("余料的代号不能为空");
    if (!std::isfinite(remnant.length) || toCutUnits(remnant.length) <= 0)
        return QStringLiteral("余料长度必须大于0");
    return checkStockLength(remnant.length).isEmpty() ? QString() : QStringLiteral("余料长度不能超过定尺的上限");
}

qint64 addRemnant(QSqlDatabase db, const Remnant &remnant)
{
    const QString problem = checkRemnant(remnant);
    if (!problem.isEmpty())
        throw Error(problem);
    qint64 id = 0;
    inTransaction(db, [&] {
        // The number given to this row, not the highest one: on a server another
        // workstation may add a remnant at the same moment.
        id = sqlScalar(QStringLiteral("INSERT INTO lcRemnant (代号,长度,工程,日期) VALUES(?,?,?,?) RETURNING ID"),
            rowValues(remnant), db)
                 .toLongLong();
    });
    return id;
}

void updateRemnant(QSqlDatabase db, const Remnant &remnant)
{
    const QString problem = checkRemnant(remnant);
    if (!problem.isEmpty())
        throw Error(problem);
    QVariantList values = rowValues(remnant);
    values.append(remnant.id);
    const QSqlQuery query
        = sqlExec(QStringLiteral("UPDATE lcRemnant SET 代号=?, 长度=?, 工程=?, 日期=? WHERE ID=?"), values, db);
    if (query.numRowsAffected() != 1)
        throw Error(QStringLiteral("余料库中没有编号为 %1 的余料").arg(remnant.id));
}

void removeRemnant(QSqlDatabase db, qint64 id)
{
    const QSqlQuery query = sqlExec(QStringLiteral("DELETE FROM lcRemnant WHERE ID=?"), {id}, db);
    if (query.numRowsAffected() != 1)
        throw Error(QStringLiteral("余料库中没有编号为 %1 的余料").arg(id));
}

QString fetchText(const QString &code, const Remnant &remnant, CutUnit unit)
{
    QString text = QStringLiteral("取余料 ") + code + QLatin1Char(' ') + formatPlanLength(remnant.length, unit)
        + QLatin1Char(' ') + unitName(unit);
    const QString origin = remnant.origin();
    if (!origin.isEmpty())
        text += QStringLiteral(", 来自 ") + origin;
    return text;
}

QVector<Remnant> offcutsToKeep(const CutPlan &plan, const QString &project, const QDate &date)
{
    const qint64 shortest = std::max<qint64>(1, toCutUnits(plan.settings.remnant));
    QVector<Remnant> kept;
    for (const CodePlan &code : plan.codes) {
        for (const CutBar &bar : code.bars) {
            if (bar.offcut >= shortest) {
                Remnant r;
                r.code = code.code;
                r.length = fromCutUnits(bar.offcut);
                r.project = project;
                r.date = date.toString(Qt::ISODate);
                kept.append(r);
            }
        }
    }
    return kept;
}

CutConfirmation confirmCutPlan(
    QSqlDatabase db, const CutPlan &plan, const QString &project, const QDate &date, ConfirmAgain again)
{
    CutConfirmation done;
    const QVector<Remnant> kept = offcutsToKeep(plan, project, date);
    const QString digest = planDigest(plan);
    inWriteTransaction(db, [&] {
        const QVariant before = sqlScalar(
            QStringLiteral("SELECT MIN(日期) FROM lcCutConfirmed WHERE 方案=? AND 工程=?"), {digest, project}, db);
        if (!before.isNull() && again == ConfirmAgain::Refuse)
            throw RepeatedConfirmation(
                QStringLiteral("此下料方案已于 %1 确认过 (工程 %2),未再次确认,余料库没有改变")
                    .arg(before.toString(), project.isEmpty() ? QStringLiteral("未命名") : project));
        QSqlQuery take(db);
        take.prepare(QStringLiteral("DELETE FROM lcRemnant WHERE ID=? AND 代号=? AND ABS(长度-?) < ?"));
        for (const CodePlan &code : plan.codes) {
            for (const CutBar &bar : code.bars) {
                if (!bar.remnant)
                    continue;
                const Remnant &r = *bar.remnant;
                for (const QVariant &v : QVariantList {r.id, r.code, r.length, kSameLength})
                    take.addBindValue(v);
                if (!take.exec())
                    throw Error(QStringLiteral("无法取走余料 ") + described(r) + QStringLiteral(": ")
                        + take.lastError().text());
                if (take.numRowsAffected() != 1)
                    throw Error(QStringLiteral("余料库中已没有余料 ") + described(r)
                        + QStringLiteral(",下料未确认;请重新计算下料方案"));
                ++done.taken;
            }
        }
        QSqlQuery keep(db);
        keep.prepare(QStringLiteral("INSERT INTO lcRemnant (代号,长度,工程,日期) VALUES(?,?,?,?)"));
        for (const Remnant &r : kept) {
            for (const QVariant &v : rowValues(r))
                keep.addBindValue(v);
            if (!keep.exec())
                throw Error(QStringLiteral("无法记录余料 ") + r.code + QStringLiteral(": ") + keep.lastError().text());
            ++done.kept;
        }
        sqlExec(QStringLiteral("INSERT INTO lcCutConfirmed (工程,方案,日期) VALUES(?,?,?)"),
            {project, digest, date.toString(Qt::ISODate)}, db);
    });
    return done;
}

QString confirmationText(const CutConfirmation &done)
{
    return QStringLiteral("确认下料完成: 记录余料 %1 段, 取走余料 %2 段").arg(done.kept).arg(done.taken);
}

} // namespace tarvex
