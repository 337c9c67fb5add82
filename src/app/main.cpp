#include "gui/app/application.h"
#include "gui/app/mainform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    tarvex::Application app(argc, argv);
    tarvex::setupApplication(app);
    tarvex::MainForm mainForm;
    mainForm.showMaximized();
    mainForm.startup(QApplication::arguments());
    return app.exec();
}
