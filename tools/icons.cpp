// Draws the program's icon for the desktop's icon theme, one PNG per size:
//
//   tarvex-icons OUTPUT_FOLDER SIZE...   writes OUTPUT_FOLDER/NxN/apps/tarvex.png
//
// The build runs it; the installation ships the files (cmake/Install.cmake).

#include "core/app/programicon.h"

#include <QDir>
#include <QImage>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        QTextStream(stderr) << "usage: tarvex-icons OUTPUT_FOLDER SIZE..." << Qt::endl;
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString folder = QDir(output).filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString path = QDir(folder).filePath(QStringLiteral("tarvex.png"));
        if (size < 8 || !QDir().mkpath(folder) || !tarvex::drawProgramIcon(size).save(path)) {
            QTextStream(stderr) << "cannot write " << path << Qt::endl;
            return 1;
        }
    }
    return 0;
}
