#include "librarysupport.h"

#include "core/common/db/database.h"

#include <QBuffer>
#include <QImage>
#include <QSqlQuery>

namespace tarvex::test {

QByteArray testPicture(const char *format, const QColor &color)
{
    QImage image(50, 40, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

qint32 addLibraryRecord(QSqlDatabase db, const QString &series, const QString &name, const QVariant &description,
    const QByteArray &picture, const QByteArray &workbook)
{
    QSqlQuery query = sqlExec(QStringLiteral("INSERT INTO data (mc, xl, bmp, xls, bz) VALUES (?, ?, ?, ?, ?)"),
        {series, name, picture, workbook.isNull() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(workbook),
            description.isValid() ? description : QVariant(QMetaType(QMetaType::QString))},
        db);
    return query.lastInsertId().toInt();
}

void addLibrarySeries(QSqlDatabase db, const QString &series, int count, const QString &prefix)
{
    const QByteArray picture = testPicture();
    inTransaction(db, [&] {
        for (int i = 1; i <= count; ++i)
            addLibraryRecord(db, series, prefix + QString::number(i), QStringLiteral("说明%1").arg(i), picture);
    });
}

} // namespace tarvex::test
