#include "gui/app/application.h"
#include "testsupport.h"

#include <QEvent>
#include <QTest>

using namespace tarvex;
using namespace tarvex::test;

namespace {

// Stands for any window whose handler runs out of memory.
class Hungry : public QObject {
protected:
    bool event(QEvent *) override { throw std::bad_alloc(); }
};

} // namespace

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void outOfMemoryInAHandlerIsReported()
    {
        TestHome home;
        Hungry hungry;
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&hungry, &event));
        QCOMPARE(home.messages().lastText(), QStringLiteral("当前错误:内存不足, 操作没有完成, 数据没有改变"));
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
