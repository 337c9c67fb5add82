#pragma once

#include <QString>

namespace tarvex {

// Process-wide values every window reads; one instance for the whole run.
struct AppState {
    QString dataFolder;
    QString libraryFolder;
    QString currentFilePath;
    QString currentPriceTable; // "lcName", "pjName", "blName" or "FyTable"

    // Parameters a window sets just before it shows a record dialog.
    short RawEntryMode = 0; // 1 add, 2 modify
    short EntryCaller = 0; // 1 price tables browser, 2 priced data viewer
    short EntryMode = 0; // 1 add, 2 modify
    short EntryTable = 0; // 1 lcName, 2 pjName, 3 blName, 4 FyTable
};

AppState &appState();

} // namespace tarvex
