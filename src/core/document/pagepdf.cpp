#include "document/pagepdf.h"

#include "common/error.h"
#include "common/savefile.h"
#include "document/pagerenderer.h"
#include "document/pdftounicode.h"

#include <QDir>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace tarvex {

void writePagesPdf(const PageDocument &document, const QString &path, const QString &title)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw Error(QStringLiteral("无法生成PDF文件 ") + shown + QStringLiteral(": 字体系统未启动"));
    if (document.pages.isEmpty())
        throw Error(QStringLiteral("无法生成PDF文件 ") + shown + QStringLiteral(": 报价没有页面"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(cannotWriteText(path, file.errorString()));
    PageRenderer renderer;
    PdfToUnicodeFilter filtered(&file, [&renderer](char16_t code) { return renderer.drawnCharacterFor(code); });
    filtered.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&filtered);
        writer.setCreator(QStringLiteral("Tarvex"));
        writer.setTitle(title);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(document.pageWidth, document.pageHeight), QPageSize::Inch),
            QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer))
            throw Error(QStringLiteral("无法生成PDF文件 ") + shown);
        painter.setRenderHint(QPainter::Antialiasing);
        const double unitsPerInch = writer.resolution();
        for (int k = 0; k < document.pages.size(); ++k) {
            if (k > 0 && !writer.newPage())
                throw Error(QStringLiteral("无法生成PDF文件 ") + shown + QStringLiteral(": 第") + QString::number(k + 1)
                    + QStringLiteral("页"));
            renderer.drawPage(painter, document.pages[k], unitsPerInch);
        }
        painter.end();
    }
    filtered.close();
    if (file.error() != QFileDevice::NoError || !file.commit())
        throw Error(cannotWriteText(path, file.errorString()));
}

} // namespace tarvex
