#include "cli/cli.h"
#include "core/app/runtimefolder.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QTemporaryDir> runtimeFolder;
    std::unique_ptr<QCoreApplication> app;
    if (tarvex::cli::drawsPictures(arguments)) {
        // Pages and pictures are drawn without a screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        runtimeFolder = tarvex::providePrivateRuntimeFolder();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tarvex::cli::run(QCoreApplication::arguments(), out, err, isatty(STDERR_FILENO) == 1);
}
