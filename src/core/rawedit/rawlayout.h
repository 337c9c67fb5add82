#pragma once

#include "core/common/materialkind.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace tarvex {

// One of the editor's ten rows (label and box). A hidden row has column -1.
struct RawEditorRow {
    QString caption;
    int column = -1; // column of the viewer's grid that fills the box
    bool readOnly = false;

    bool shown() const { return column >= 0; }
};

// How the raw data editor looks and checks one kind of record.
struct RawEditorLayout {
    QVector<RawEditorRow> rows; // always ten; index 0 is Label1/Text1
    QVector<int> keyRows; // 1-based rows remembered as OldValues
    QVector<int> requiredRows; // 1-based rows that must not be blank
};

// Throws Error for a value outside the four kinds.
const RawEditorLayout &rawEditorLayout(MaterialKind kind);

// True when every required box (trimmed) holds something.
// boxes[0] is Text1; missing entries count as blank.
bool rawEntryComplete(MaterialKind kind, const QStringList &boxes);

// OldValues of a record as loaded: the key boxes in the layout's order.
QStringList rawOldValues(MaterialKind kind, const QStringList &boxes);

} // namespace tarvex
