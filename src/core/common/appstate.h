#pragma once

#include <QString>

namespace tarvex {

// Process-wide values every window reads; one instance for the whole run.
struct AppState {
    QString dataFolder;
    QString libraryFolder;
    QString currentFilePath;
    QString currentPriceTable; // "lcName", "pjName", "blName" or "FyTable"

    // Parameter a window sets just before it shows the raw data editor.
    short RawEntryMode = 0; // 1 add, 2 modify
};

AppState &appState();

} // namespace tarvex
