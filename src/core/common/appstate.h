#pragma once

#include <QString>

namespace tarvex {

// Process-wide values every window reads; one instance for the whole run.
struct AppState {
    QString dataFolder;
    QString libraryFolder;
    QString currentFilePath;
};

AppState &appState();

} // namespace tarvex
