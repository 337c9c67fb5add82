#include "core/app/runtimefolder.h"

#include <QDir>
#include <QFile>

namespace tarvex {

std::unique_ptr<QTemporaryDir> providePrivateRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return nullptr;
    // mkdtemp: a new folder, owner only, never one that was there before.
    auto folder
        = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(QStringLiteral("tarvex-runtime-XXXXXX")));
    if (!folder->isValid())
        return nullptr;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder->path()));
    return folder;
}

} // namespace tarvex
