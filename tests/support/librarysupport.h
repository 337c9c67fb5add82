#pragma once

#include <QByteArray>
#include <QColor>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace tarvex::test {

// A small picture in a format Qt reads ("PNG", "BMP", "JPG").
QByteArray testPicture(const char *format = "PNG", const QColor &color = Qt::darkCyan);

// A grey RGB picture of the size in PNG, made without holding it whole (a
// drawing of 8000 × 8000 takes 200 KB); with headerOnly just its size and
// one row, which readers that check the size first never reach.
QByteArray plainPng(int width, int height, bool headerOnly = false);

// Adds a record straight to the library's data table and returns its ID.
qint32 addLibraryRecord(QSqlDatabase db, const QString &series, const QString &name,
    const QVariant &description = QVariant(), const QByteArray &picture = testPicture(),
    const QByteArray &workbook = QByteArray());

// Adds count records of one series named prefix1, prefix2, ... in one transaction.
void addLibrarySeries(QSqlDatabase db, const QString &series, int count, const QString &prefix = QStringLiteral("T"));

} // namespace tarvex::test
