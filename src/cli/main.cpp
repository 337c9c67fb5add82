#include "cli/cli.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <memory>

#include <unistd.h>

namespace {

// Pages and pictures are drawn without a screen.
void prepareDrawing()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a desktop session Qt warns on every run about the missing
    // runtime folder; a private one in the temp folder serves as well.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray folder = QDir::tempPath().toLocal8Bit() + "/tarvex-runtime-" + QByteArray::number(getuid());
        if (QDir().mkpath(QString::fromLocal8Bit(folder))) {
            QFile::setPermissions(QString::fromLocal8Bit(folder),
                QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", folder);
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QCoreApplication> app;
    if (tarvex::cli::drawsPictures(arguments)) {
        prepareDrawing();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tarvex::cli::run(QCoreApplication::arguments(), out, err, isatty(STDERR_FILENO) == 1);
}
