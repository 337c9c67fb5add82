#pragma once

#include <QString>

#include <stdexcept>

namespace tarvex {

// A failure with a description for the user ("当前错误:" + message()).
class Error : public std::runtime_error {
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// The description of an allocation failure caught at a command or window.
inline QString outOfMemoryText()
{
    return QStringLiteral("内存不足, 操作没有完成, 数据没有改变");
}

} // namespace tarvex
