#include "core/cutting/cutsummary.h"

#include "core/common/numbers.h"

#include <QBrush>
#include <QColor>

namespace tarvex {

namespace {

enum Column { Code, Name, Cuts, Stock, Bars, Bound, Utilisation, Offcut, Weight, Proven, ColumnCount };

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

QStringList cutSummaryHeadings()
{
    return {QStringLiteral("代号"), QStringLiteral("名称"), QStringLiteral("切割数"), QStringLiteral("定尺"),
        QStringLiteral("用料根数"), QStringLiteral("理论最少"), QStringLiteral("利用率 %"), QStringLiteral("余料 m"),
        QStringLiteral("重量 kg"), QStringLiteral("已证最少")};
}

QStringList cutSummaryFormats()
{
    return {QString(), QString(), QStringLiteral("0"), QStringLiteral("0.000"), QStringLiteral("0"),
        QStringLiteral("0"), QStringLiteral("0.0"), QStringLiteral("0.000"), QStringLiteral("0.00"), QString()};
}

QVariantList cutSummaryValues(const CodePlan &code)
{
    const std::optional<double> weight = code.weightKg();
    return {code.code, code.name, int(code.pieces.size()), code.stockMetres(), int(code.bars.size()), code.lowerBound(),
        code.utilisation(), code.offcutMetres(), weight ? QVariant(*weight) : QVariant(),
        code.proven() ? QStringLiteral("是") : QStringLiteral("否")};
}

QStringList cutSummaryTexts(const CodePlan &code)
{
    const QVariantList v = cutSummaryValues(code);
    return {v[Code].toString(), v[Name].toString(), v[Cuts].toString(), format3(v[Stock].toDouble()),
        v[Bars].toString(), v[Bound].toString(), percentText(v[Utilisation].toDouble()), format3(v[Offcut].toDouble()),
        weightText(v[Weight]), v[Proven].toString()};
}

QVariantList cutTotalValues(const CutPlan &plan)
{
    int cuts = 0;
    double cutMetres = 0;
    double stockMetres = 0;
    double offcut = 0;
    double weight = 0;
    bool anyWeight = false;
    for (const CodePlan &c : plan.codes) {
        cuts += c.pieces.size();
        cutMetres += c.cutMetres();
        stockMetres += c.stockMetres() * c.bars.size();
        offcut += c.offcutMetres();
        if (const std::optional<double> w = c.weightKg()) {
            weight += *w;
            anyWeight = true;
        }
    }
    const bool allProven = plan.barCount() == plan.lowerBoundTotal();
    return {QStringLiteral("合计"), QString(), cuts, QVariant(), plan.barCount(), plan.lowerBoundTotal(),
        stockMetres > 0 ? 100 * cutMetres / stockMetres : 0.0, offcut, anyWeight ? QVariant(weight) : QVariant(),
        allProven ? QStringLiteral("是") : QStringLiteral("否")};
}

QStringList cutTotalTexts(const CutPlan &plan)
{
    const QVariantList v = cutTotalValues(plan);
    return {v[Code].toString(), QString(), v[Cuts].toString(), QString(), v[Bars].toString(), v[Bound].toString(),
        percentText(v[Utilisation].toDouble()), format3(v[Offcut].toDouble()), weightText(v[Weight]),
        v[Proven].toString()};
}

void CutSummaryModel::setPlan(const CutPlan &plan)
{
    beginResetModel();
    m_plan = plan;
    m_texts.clear();
    for (const CodePlan &code : m_plan.codes)
        m_texts.append(cutSummaryTexts(code));
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
        return cutSummaryHeadings().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace tarvex
