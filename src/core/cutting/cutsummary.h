#pragma once

#include "core/cutting/cutplan.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariantList>

namespace tarvex {

// The summary of a plan, one row per code, as the window, the paper pages,
// the workbook and tarvex-cli show it; lengths in the plan's unit. 用料根数
// counts new bars, 取余料 the remnants taken.
QStringList cutSummaryHeadings(CutUnit unit);
// Numbers as numbers (weight Null without a line weight), texts as texts.
QVariantList cutSummaryValues(const CodePlan &code, CutUnit unit);
// The same as the user reads them.
QStringList cutSummaryTexts(const CodePlan &code, CutUnit unit);
// The totals row ("合计"): cuts, bars, bound, offcut, weight and remnants summed.
QVariantList cutTotalValues(const CutPlan &plan);
QStringList cutTotalTexts(const CutPlan &plan);
// Number format of each column for a spreadsheet ("0.00"), empty for text.
QStringList cutSummaryFormats(CutUnit unit);

// The summary for a grid: the rows of cutSummaryTexts, numbers aligned right,
// the rows not proven minimal marked.
class CutSummaryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setPlan(const CutPlan &plan);
    const CutPlan &plan() const { return m_plan; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    CutPlan m_plan;
    QList<QStringList> m_texts;
};

} // namespace tarvex
