#include "core/library/librarypicture.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <thread>
#include <vector>

namespace tarvex {

namespace {

// Qt refuses to decode a picture of more than 128 MB, which an elevation
// scanned at 8000 × 8000 pixels already needs. A drawing of up to
// kMaxPicturePixels at 8 bytes a pixel (16-bit colour) is decoded.
constexpr int kPictureMegabytes = int(kMaxPicturePixels * 8 / (1024 * 1024)) + 1;

// A reader over a picture in memory, with the limit raised for drawings.
class PictureReader {
public:
    explicit PictureReader(const QByteArray &bytes)
    {
        static const bool raised = [] {
            if (QImageReader::allocationLimit() < kPictureMegabytes)
                QImageReader::setAllocationLimit(kPictureMegabytes);
            return true;
        }();
        Q_UNUSED(raised);
        m_buffer.setData(bytes);
        m_buffer.open(QIODevice::ReadOnly);
        m_reader.setDevice(&m_buffer);
    }

    QImageReader &reader() { return m_reader; }
    bool tooLarge() { return m_reader.size().isValid() && pixels(m_reader.size()) > kMaxPicturePixels; }

private:
    static qint64 pixels(const QSize &size) { return qint64(size.width()) * size.height(); }

    QBuffer m_buffer;
    QImageReader m_reader;
};

} // namespace

QString libraryPictureRefusal(const QByteArray &bytes)
{
    PictureReader picture(bytes);
    if (picture.tooLarge())
        return QStringLiteral("有 %1×%2 像素, 超过图库图片的上限 %3×%3 像素; 请缩小后再导入")
            .arg(picture.reader().size().width())
            .arg(picture.reader().size().height())
            .arg(kMaxPictureSide);
    if (libraryPictureFormat(bytes).isEmpty())
        return QStringLiteral("不是可以读取的图片 (可用 BMP、PNG、JPEG 等格式)");
    return QString();
}

QString libraryPictureFormat(const QByteArray &bytes)
{
    PictureReader picture(bytes);
    // The reader forgets the format once it has read the picture.
    const QString format = QString::fromLatin1(picture.reader().format()).toLower();
    QImage image;
    if (bytes.isEmpty() || picture.tooLarge() || !picture.reader().read(&image))
        return QString();
    return format == QStringLiteral("jpeg") ? QStringLiteral("jpg") : format;
}

QImage libraryThumbnail(const QByteArray &bytes, const QSize &box)
{
    PictureReader picture(bytes);
    QImageReader &reader = picture.reader();
    const QSize full = reader.size();
    // Readers that can scale while decoding (JPEG) are told the target size.
    if (full.isValid() && (full.width() > box.width() || full.height() > box.height()))
        reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatio));
    QImage image;
    if (bytes.isEmpty() || !reader.read(&image))
        return QImage();
    if (image.width() > box.width() || image.height() > box.height())
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QVector<QImage> libraryThumbnails(const QVector<QByteArray> &pictures, const QSize &box)
{
    QVector<QImage> images(pictures.size());
    const int workers = int(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, 4));
    // Worker w decodes pictures w, w + workers, ...; this thread is worker 0.
    auto decode = [&](int first) {
        for (int i = first; i < pictures.size(); i += workers)
            images[i] = libraryThumbnail(pictures[i], box);
    };
    std::vector<std::thread> threads;
    for (int w = 1; w < workers && w < pictures.size(); ++w)
        threads.emplace_back(decode, w);
    decode(0);
    for (std::thread &t : threads)
        t.join();
    return images;
}

QString libraryWorkbookFormat(const QByteArray &bytes)
{
    // An xlsx file is a zip container with the workbook part under xl/; an
    // xls file is an OLE compound document.
    if (bytes.startsWith(QByteArrayLiteral("PK\x03\x04")) && bytes.contains(QByteArrayLiteral("xl/")))
        return QStringLiteral("xlsx");
    if (bytes.startsWith(QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")))
        return QStringLiteral("xls");
    return QString();
}

QString libraryFileBaseName(const QString &name, qint32 id)
{
    QString base;
    for (const QChar c : name.trimmed())
        base += (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) ? QLatin1Char('_') : c;
    while (base.startsWith(QLatin1Char('.')))
        base.remove(0, 1);
    // File systems take 255 bytes a name; a Chinese character takes three.
    base.truncate(80);
    if (base.isEmpty())
        base = QString::number(id);
    return base;
}

} // namespace tarvex
