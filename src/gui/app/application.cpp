#include "gui/app/application.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "gui/common/qtmessages.h"
#include "gui/common/singleline.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <new>

namespace tarvex {

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        reportError(outOfMemoryText());
    }
    return false;
}

void setupFonts()
{
    const QStringList serif = {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), serif);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), serif);
}

void setupApplication(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Tarvex"));
    app.setApplicationVersion(QStringLiteral(TARVEX_VERSION));
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    setupFonts();
    app.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 10));
    installSingleLineBoxes(app);
    static QtMessages onScreen;
    setMessageService(&onScreen);
}

} // namespace tarvex
