#include "cli/cli.h"
#include "core/app/runtimefolder.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    // Documents are drawn without a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const auto runtimeFolder = tarvex::providePrivateRuntimeFolder();
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tarvex::cli::run(QGuiApplication::arguments(), out, err);
}
