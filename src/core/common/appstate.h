#pragma once

#include <QString>

namespace tarvex {

// Process-wide values every window reads; one instance for the whole run.
struct AppState {
    QString dataFolder;
    QString libraryFolder;
    QString currentFilePath;
    QString currentPriceTable; // "lcName", "pjName", "blName" or "FyTable"
};

AppState &appState();

} // namespace tarvex
