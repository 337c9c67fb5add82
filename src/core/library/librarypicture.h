#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

namespace tarvex {

// The largest picture the library takes: 10000 × 10000 pixels.
constexpr qint64 kMaxPictureSide = 10000;
constexpr qint64 kMaxPicturePixels = kMaxPictureSide * kMaxPictureSide;

// Why the bytes cannot be a library picture ("有 12000×12000 像素, 超过 ..."),
// or empty text when they can.
QString libraryPictureRefusal(const QByteArray &bytes);

// The picture format of a record's bmp value as a file extension ("bmp",
// "png", "jpg", ...), or empty text when Qt cannot read it as a picture.
QString libraryPictureFormat(const QByteArray &bytes);

// The picture scaled to fit the box, keeping its proportions; a null image
// when the value cannot be decoded.
QImage libraryThumbnail(const QByteArray &bytes, const QSize &box);

// The thumbnails of a page of pictures, decoded on every core at once.
QVector<QImage> libraryThumbnails(const QVector<QByteArray> &pictures, const QSize &box);

// The extension of a cutting-list workbook ("xlsx" or "xls"), or empty text
// when the bytes are neither.
QString libraryWorkbookFormat(const QByteArray &bytes);

// A file name made of the template name: characters that cannot stand in a
// file name become "_"; an empty name becomes the record's ID.
QString libraryFileBaseName(const QString &name, qint32 id);

} // namespace tarvex
