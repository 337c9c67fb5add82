#pragma once

#include <QString>
#include <QVector>

namespace tarvex {

// The records of one raw data file, one list per working table, in file
// order. Numbers are kept as read; texts exactly as they stand in the file.
struct ProfileRecord { // type 1, LcTemp
    double id = 0;
    QString code; // 代号
    double length = 0;
};

struct GlassRecord { // type 2, BlTemp
    double id = 0;
    QString name; // 名称
    double area = 0;
};

struct AccessoryRecord { // type 3, PjTemp
    double id = 0;
    QString name; // 名称
    QString spec; // 规格
    QString requirement; // 技术要求
    double quantity = 0;
};

struct WindowRecord { // type 4, MjTemp
    double id = 0;
    QString series; // 门窗系列
    QString window; // 窗号
    double frameArea = 0;
    double openingArea = 0;
};

struct RawData {
    QVector<ProfileRecord> profiles;
    QVector<GlassRecord> glass;
    QVector<AccessoryRecord> accessories;
    QVector<WindowRecord> windows;

    qsizetype recordCount() const { return profiles.size() + glass.size() + accessories.size() + windows.size(); }
};

} // namespace tarvex
