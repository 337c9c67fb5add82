#pragma once

#include "core/common/messages.h"

namespace tarvex {

// Message boxes and input boxes on screen.
class QtMessages : public MessageService {
public:
    void information(const QString &text, const QString &title = defaultTitle()) override;
    void warning(const QString &text, const QString &title = defaultTitle()) override;
    void notice(const QString &text, const QString &title = defaultTitle()) override;
    bool question(const QString &text, const QString &title = defaultTitle()) override;
    bool warningQuestion(const QString &text, const QString &title = defaultTitle()) override;
    bool confirmDeletion(const QString &text, const QString &title = defaultTitle()) override;
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override;
};

} // namespace tarvex
