#include "common/textcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tarvex {

QString decodeUtf8OrGbk(const QByteArray &bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GB18030");
    return gbk.decode(data);
}

QByteArray encodeGbk(const QString &text, bool *ok)
{
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk.encode(text);
    if (ok)
        *ok = !gbk.hasError();
    return bytes;
}

int gbkByteLength(const QString &text)
{
    return encodeGbk(text).size();
}

} // namespace tarvex
