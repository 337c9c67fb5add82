#include "core/common/messages.h"

#include <QStringList>
#include <QTextStream>

namespace tarvex {

namespace {

// Used when nobody has set a service (batch use): messages go to stderr,
// questions are answered No and input boxes are cancelled.
class ConsoleMessages : public MessageService {
public:
    void information(const QString &text, const QString &) override { print(text); }
    void warning(const QString &text, const QString &) override { print(text); }
    void notice(const QString &text, const QString &) override { print(text); }
    bool question(const QString &text, const QString &) override
    {
        print(text);
        return false;
    }
    bool warningQuestion(const QString &text, const QString &title) override { return question(text, title); }
    std::optional<QString> input(const QString &prompt, const QString &, const QString &) override
    {
        print(prompt);
        return std::nullopt;
    }

private:
    static void print(const QString &text)
    {
        QTextStream err(stderr);
        err << text << Qt::endl;
    }
};

ConsoleMessages &console()
{
    static ConsoleMessages instance;
    return instance;
}

MessageService *&current()
{
    static MessageService *service = &console();
    return service;
}

} // namespace

MessageService &messages()
{
    return *current();
}

void setMessageService(MessageService *service)
{
    current() = service ? service : &console();
}

void reportError(const QString &description)
{
    messages().warning(QStringLiteral("当前错误:") + description);
}

void ScriptedMessages::information(const QString &text, const QString &title)
{
    m_shown.append({Kind::Information, text, title});
}

void ScriptedMessages::warning(const QString &text, const QString &title)
{
    m_shown.append({Kind::Warning, text, title});
}

void ScriptedMessages::notice(const QString &text, const QString &title)
{
    m_shown.append({Kind::Notice, text, title});
}

bool ScriptedMessages::question(const QString &text, const QString &title)
{
    m_shown.append({Kind::Question, text, title});
    return m_questionAnswers.isEmpty() ? false : m_questionAnswers.takeFirst();
}

bool ScriptedMessages::warningQuestion(const QString &text, const QString &title)
{
    m_shown.append({Kind::WarningQuestion, text, title});
    return m_questionAnswers.isEmpty() ? false : m_questionAnswers.takeFirst();
}

std::optional<QString> ScriptedMessages::input(const QString &prompt, const QString &title, const QString &)
{
    m_shown.append({Kind::Input, prompt, title});
    return m_inputAnswers.isEmpty() ? std::nullopt : m_inputAnswers.takeFirst();
}

QStringList ScriptedMessages::texts() const
{
    QStringList list;
    for (const Shown &s : m_shown)
        list.append(s.text);
    return list;
}

void ScriptedMessages::clear()
{
    m_shown.clear();
    m_questionAnswers.clear();
    m_inputAnswers.clear();
}

} // namespace tarvex
