#include "core/cutting/cutsummary.h"

#include "core/common/numbers.h"

#include <QBrush>
#include <QColor>

namespace tarvex {

namespace {

enum Column { Code, Name, Cuts, Stock, Bars, Bound, Utilisation, Offcut, Weight, Proven, Remnants, ColumnCount };

// A length as a number in the unit.
double inUnit(double metres, CutUnit unit)
{
    return unit == CutUnit::Metre ? metres : double(toCutUnits(metres)) / 10;
}

QString percentText(double value)
{
    return QString::number(roundDecimal(value, 1, Halves::AwayFromZero), 'f', 1);
}

QString weightText(const QVariant &value)
{
    return value.isNull() ? QString()
                          : QString::number(roundDecimal(value.toDouble(), 2, Halves::AwayFromZero), 'f', 2);
}

} // namespace

QStringList cutSummaryHeadings(CutUnit unit)
{
    const QString u = QLatin1Char(' ') + unitName(unit);
    return {QStringLiteral("代号"), QStringLiteral("名称"), QStringLiteral("切割数"), QStringLiteral("定尺") + u,
        QStringLiteral("用料根数"), QStringLiteral("理论最少"), QStringLiteral("利用率 %"), QStringLiteral("余料") + u,
        QStringLiteral("重量 kg"), QStringLiteral("已证最少"), QStringLiteral("取余料")};
}

QStringList cutSummaryFormats(CutUnit unit)
{
    const QString length = unit == CutUnit::Metre ? QStringLiteral("0.000") : QStringLiteral("0");
    return {QString(), QString(), QStringLiteral("0"), length, QStringLiteral("0"), QStringLiteral("0"),
        QStringLiteral("0.0"), length, QStringLiteral("0.00"), QString(), QStringLiteral("0")};
}

QVariantList cutSummaryValues(const CodePlan &code, CutUnit unit)
{
    const std::optional<double> weight = code.weightKg();
    return {code.code, code.name, int(code.pieces.size()), inUnit(code.stockMetres(), unit), code.newBars(),
        code.lowerBound(), code.utilisation(), inUnit(code.offcutMetres(), unit),
        weight ? QVariant(*weight) : QVariant(), code.proven() ? QStringLiteral("是") : QStringLiteral("否"),
        code.remnantBars()};
}

QStringList cutSummaryTexts(const CodePlan &code, CutUnit unit)
{
    const QVariantList v = cutSummaryValues(code, unit);
    return {v[Code].toString(), v[Name].toString(), v[Cuts].toString(), formatPlanLength(code.stockMetres(), unit),
        v[Bars].toString(), v[Bound].toString(), percentText(v[Utilisation].toDouble()),
        formatPlanLength(code.offcutMetres(), unit), weightText(v[Weight]), v[Proven].toString(),
        v[Remnants].toString()};
}

QVariantList cutTotalValues(const CutPlan &plan)
{
    int cuts = 0;
    double cutMetres = 0;
    double stockMetres = 0;
    double offcut = 0;
    double weight = 0;
    bool anyWeight = false;
    int remnants = 0;
    for (const CodePlan &c : plan.codes) {
        cuts += c.pieces.size();
        cutMetres += c.cutMetres();
        for (const CutBar &bar : c.bars)
            stockMetres += fromCutUnits(bar.length);
        offcut += c.offcutMetres();
        remnants += c.remnantBars();
        if (const std::optional<double> w = c.weightKg()) {
            weight += *w;
            anyWeight = true;
        }
    }
    const bool allProven = plan.barCount() == plan.lowerBoundTotal();
    return {QStringLiteral("合计"), QString(), cuts, QVariant(), plan.barCount(), plan.lowerBoundTotal(),
        stockMetres > 0 ? 100 * cutMetres / stockMetres : 0.0, inUnit(offcut, plan.settings.unit),
        anyWeight ? QVariant(weight) : QVariant(), allProven ? QStringLiteral("是") : QStringLiteral("否"), remnants};
}

QStringList cutTotalTexts(const CutPlan &plan)
{
    const QVariantList v = cutTotalValues(plan);
    double offcut = 0;
    for (const CodePlan &c : plan.codes)
        offcut += c.offcutMetres();
    return {v[Code].toString(), QString(), v[Cuts].toString(), QString(), v[Bars].toString(), v[Bound].toString(),
        percentText(v[Utilisation].toDouble()), formatPlanLength(offcut, plan.settings.unit), weightText(v[Weight]),
        v[Proven].toString(), v[Remnants].toString()};
}

void CutSummaryModel::setPlan(const CutPlan &plan)
{
    beginResetModel();
    m_plan = plan;
    m_texts.clear();
    for (const CodePlan &code : m_plan.codes)
        m_texts.append(cutSummaryTexts(code, plan.settings.unit));
    endResetModel();
}

int CutSummaryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_texts.size());
}

int CutSummaryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CutSummaryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_texts.size() || index.column() >= ColumnCount)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_texts[index.row()][index.column()];
    case Qt::TextAlignmentRole:
        return index.column() <= Name ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (index.column() == Proven && !m_plan.codes[index.row()].proven())
            return QBrush(QColor(0xb0, 0x30, 0x30));
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant CutSummaryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return cutSummaryHeadings(m_plan.settings.unit).at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace tarvex
