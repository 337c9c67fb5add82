#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

namespace tarvex {

// A window or door template of the demo library: its overall size and the
// panes of its lower row (left to right) and of its top light.
struct DemoPane {
    enum Kind { Fixed, CasementLeft, CasementRight, TopHung, SlideLeft, SlideRight, DoorLeft, DoorRight };
    Kind kind = Fixed;
    int width = 0; // mm
};

struct DemoTemplate {
    QString series;
    QString name;
    QString description;
    int width = 0; // mm
    int height = 0; // mm
    int topHeight = 0; // mm of the top light, 0 when there is none
    QVector<DemoPane> panes;
    QVector<DemoPane> topPanes;
};

// The templates of the demo library: 60系列平开窗 (25), 90系列推拉窗 (65) and
// 70系列平开门 (6).
QVector<DemoTemplate> demoTemplates();

// The template's elevation as a PNG picture (500 by 400 pixels): frame,
// mullions, sashes with their opening marks, glass and dimension lines.
QByteArray demoElevation(const DemoTemplate &t);

// The template's cutting list as an xlsx workbook. Throws Error.
QByteArray demoCuttingList(const DemoTemplate &t);

// Fills an empty library with the demo templates and pick lists in one
// transaction and returns the number of records. Throws Error when the
// library already holds records.
int fillDemoLibrary(QSqlDatabase db);

} // namespace tarvex
