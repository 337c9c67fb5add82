#include "core/rawedit/rawlayout.h"

#include "core/common/error.h"

namespace tarvex {

namespace {

RawEditorRow shown(const char *caption, int column, bool readOnly)
{
    return RawEditorRow {QString::fromUtf8(caption), column, readOnly};
}

RawEditorLayout makeLayout(QVector<RawEditorRow> rows, QVector<int> keyRows, QVector<int> requiredRows)
{
    rows.resize(10);
    return RawEditorLayout {rows, keyRows, requiredRows};
}

// In the order of the kinds.
QVector<RawEditorLayout> buildLayouts()
{
    constexpr bool ro = true;
    constexpr bool rw = false;
    return {
        makeLayout(
            {shown("门窗系列", 0, ro), shown("门窗代号", 1, ro), shown("主材代号", 2, rw), shown("主材长度", 3, rw),
                shown("主材线重", 4, ro), shown("隔热材", 5, ro), shown("材料类别", 6, ro), shown("备 注", 7, ro)},
            {3, 4}, {3, 4}),
        makeLayout({shown("门窗系列", 0, ro), shown("门窗代号", 1, ro), shown("附件名称", 2, rw),
                       shown("附件规格", 3, rw), shown("技术要求", 4, rw), shown("数 量", 5, rw), shown("单 位", 6, ro),
                       shown("单 价", 7, ro), shown("折扣量", 8, ro), shown("备 注", 9, ro)},
            {3, 4, 5, 6}, {3, 6}),
        makeLayout({shown("门窗系列", 0, ro), shown("门窗代号", 1, ro), shown("玻璃名称", 2, rw), shown("面 积", 3, rw),
                       shown("单 价", 4, ro), shown("折扣量", 5, ro), shown("备 注", 6, ro)},
            {3, 4}, {3, 4}),
        makeLayout({shown("数据ID", 0, ro), shown("门窗系列", 1, rw), shown("门窗代号", 2, rw), shown("框面积", 3, rw),
                       shown("洞口面积", 4, rw)},
            {1, 2, 3, 4, 5}, {2, 3, 4, 5}),
    };
}

QString box(const QStringList &boxes, int row)
{
    return row >= 1 && row <= boxes.size() ? boxes.at(row - 1) : QString();
}

} // namespace

const RawEditorLayout &rawEditorLayout(MaterialKind kind)
{
    static const QVector<RawEditorLayout> layouts = buildLayouts();
    const int index = int(kind);
    if (index < 0 || index >= layouts.size())
        throw Error(QStringLiteral("未知的数据类别: %1").arg(index));
    return layouts.at(index);
}

bool rawEntryComplete(MaterialKind kind, const QStringList &boxes)
{
    for (int row : rawEditorLayout(kind).requiredRows)
        if (box(boxes, row).trimmed().isEmpty())
            return false;
    return true;
}

QStringList rawOldValues(MaterialKind kind, const QStringList &boxes)
{
    QStringList values;
    for (int row : rawEditorLayout(kind).keyRows)
        values.append(box(boxes, row));
    return values;
}

} // namespace tarvex
