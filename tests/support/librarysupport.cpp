#include "librarysupport.h"

#include "core/common/db/database.h"

#include <QBuffer>
#include <QImage>
#include <QSqlQuery>

#include <zlib.h>

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

namespace {

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray chunk;
    const quint32 size = quint32(data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.append(char((size >> shift) & 0xFF));
    const QByteArray body = QByteArray(type) + data;
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size())));
    chunk += body;
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.append(char((crc >> shift) & 0xFF));
    return chunk;
}

} // namespace

QByteArray plainPng(int width, int height, bool headerOnly)
{
    QByteArray header;
    for (const int value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            header.append(char((value >> shift) & 0xFF));
    header.append("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB
    QByteArray row(1 + 3 * width, char(0x80));
    row[0] = 0; // no filter
    QByteArray data;
    z_stream zs {};
    deflateInit(&zs, 9);
    QByteArray out(1 << 16, Qt::Uninitialized);
    const int rows = headerOnly ? 1 : height;
    for (int r = 0; r <= rows; ++r) {
        const bool last = r == rows;
        zs.next_in = reinterpret_cast<Bytef *>(last ? nullptr : row.data());
        zs.avail_in = last ? 0 : uInt(row.size());
        do {
            zs.next_out = reinterpret_cast<Bytef *>(out.data());
            zs.avail_out = uInt(out.size());
            deflate(&zs, last ? Z_FINISH : Z_NO_FLUSH);
            data.append(out.constData(), out.size() - qsizetype(zs.avail_out));
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", data)
        + pngChunk("IEND", QByteArray());
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
