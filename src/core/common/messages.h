#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tarvex {

// Every message box, question and input box of the program goes through this
// interface: the windows use a Qt implementation, tests a scripted one.
class MessageService {
public:
    static QString defaultTitle() { return QStringLiteral("系统提示"); }

    virtual ~MessageService() = default;
    // Information icon ("数据添加成功!").
    virtual void information(const QString &text, const QString &title = defaultTitle()) = 0;
    // Exclamation icon: refusals and errors.
    virtual void warning(const QString &text, const QString &title = defaultTitle()) = 0;
    // Question icon with only OK: asks the user to try again ("添加内容为空,请重试!").
    virtual void notice(const QString &text, const QString &title = defaultTitle()) = 0;
    // Question icon with Yes and No; true only for Yes. No is the default
    // button, so that Enter never confirms a deletion by accident.
    virtual bool question(const QString &text, const QString &title = defaultTitle()) = 0;
    // Exclamation icon with Yes and No, No the default: going on in spite of
    // the problem the text names. True only for Yes.
    virtual bool warningQuestion(const QString &text, const QString &title = defaultTitle()) = 0;
    // The same for a question whose Yes destroys something (a deletion):
    // No is the default button, so a hasty Enter keeps the data.
    virtual bool confirmDeletion(const QString &text, const QString &title = defaultTitle())
    {
        return question(text, title);
    }
    // Input box; std::nullopt when cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) = 0;
};

// The service in use; set once at start (or by a test).
MessageService &messages();
void setMessageService(MessageService *service);

// Shorthand for the failure report: "当前错误:" + description.
void reportError(const QString &description);

// Answers given in advance, every message recorded; never blocks.
class ScriptedMessages : public MessageService {
public:
    enum class Kind { Information, Warning, Notice, Question, WarningQuestion, Input };
    struct Shown {
        Kind kind;
        QString text;
        QString title;
    };

    void information(const QString &text, const QString &title = defaultTitle()) override;
    void warning(const QString &text, const QString &title = defaultTitle()) override;
    void notice(const QString &text, const QString &title = defaultTitle()) override;
    bool question(const QString &text, const QString &title = defaultTitle()) override;
    bool warningQuestion(const QString &text, const QString &title = defaultTitle()) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override;

    // Next answers, used in order by questions of both kinds. A question
    // without an answer gets No (the default button), an input box without
    // one is cancelled.
    void answerQuestion(bool yes) { m_questionAnswers.append(yes); }
    void answerInput(const std::optional<QString> &text) { m_inputAnswers.append(text); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    void clear();

private:
    QList<Shown> m_shown;
    QList<bool> m_questionAnswers;
    QList<std::optional<QString>> m_inputAnswers;
};

} // namespace tarvex
