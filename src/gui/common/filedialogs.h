#pragma once

#include <QString>

namespace tarvex {

// File and folder dialogs. The filter is the caller's "description (pattern)"
// list, e.g. "报价数据 (*.xdt)"; an empty filter offers text and all files.
// The result is the chosen path, or empty text when cancelled.
QString ShowOpenDialog(const QString &title, const QString &filter, const QString &initialFolder);
QString ShowSaveDialog(const QString &title, const QString &filter, const QString &initialFolder);
QString BrowseFolder();

// Tests answer the next dialog in advance: the given path (empty = cancel)
// is returned without showing anything.
void setNextFileName(const QString &path);
// The filter and title of the last dialog asked for (shown or scripted).
QString lastDialogFilter();
QString lastDialogTitle();

} // namespace tarvex
