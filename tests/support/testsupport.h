#pragma once

#include "core/common/messages.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace tarvex::test {

// The engines a suite runs its tests on. A suite whose tests touch the
// database adds both as global rows, and chooses the row's engine before
// each test:
//     void initTestCase_data() { addEngineRows(); }
//     void init() { useEngineOfRow(); }
// The server rows use the throwaway cluster of the test run
// (TARVEX_TEST_SERVER, set by CTest); without it they fail, unless
// TARVEX_SKIP_SERVER asks to skip them.
enum class TestEngine { Sqlite, Server };

void addEngineRows();
// A suite about the server alone has its row only.
void addServerRow();
void useEngineOfRow();
TestEngine currentEngine();
inline bool onTestServer()
{
    return currentEngine() == TestEngine::Server;
}

// The test cluster's connection string for this suite's own database (made
// afresh at the first call), and one for its maintenance database.
QString testServerConninfo();
QString testServerMaintenance();

// An administrator's connection to the suite's database (the cluster's
// superuser), for what a test prepares on the server.
QSqlDatabase testServerAdmin();

// A program folder of its own for one test: cs.ini (data folder = the
// the program folder), the working database opened as the shared connection and
// the scripted message service installed; the demo data loaded on request.
// On a server row the suite's database is emptied and set up as server init
// does, and the working area is seat "seat1".
enum class Demo { None, Prices, PricesAndProject };

class TestHome {
public:
    explicit TestHome(Demo demo = Demo::None);
    ~TestHome();

    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const;
    ScriptedMessages &messages() { return m_messages; }

    // Opens the shared connection again (on a server: as a second seat of the
    // same firm when seat is given).
    void reopen(const QString &seat = QString());

    // Runs an SQL script (statements separated by ';') on the shared connection.
    void runScript(const QString &path);
    // The demo price tables and demo project, as scripts/run loads them.
    void loadDemoPrices();
    void loadDemoProject();
    // On the test server: this seat reopened as the login clerk, which may
    // read and quote only (role tarvex_reader).
    void logInAsReader();

private:
    QTemporaryDir m_dir;
    ScriptedMessages m_messages;
};

// Scripted messages that remember what every input box offered as its answer.
class RecordingMessages : public ScriptedMessages {
public:
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        defaults.append(defaultText);
        return ScriptedMessages::input(prompt, title, defaultText);
    }
    QStringList defaults;
};

QString sourcePath(const QString &relative);
QString testDataPath(const QString &relative);

// The message of the error the call throws; empty when it throws none.
QString errorOf(const std::function<void()> &fn);

// Whole files, for comparing bytes.
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

// A one-sheet workbook as other programs write it, zipped to path: the rows
// of <sheetData>, the <si> items of the shared strings and the <numFmts>
// and <cellXfs> of the styles (each may be empty).
void writeTestWorkbook(
    const QString &path, const QString &rows, const QString &strings = QString(), const QString &styles = QString());
// The standard output of a program (pdftotext, pdfinfo …), or "<tool> failed: …".
QString runTool(const QString &tool, const QStringList &args);
// The text layer of a PDF as pdftotext lays it out, pages split by '\f'.
QString pdfText(const QString &pdf);

// Every row of a query as "a|b|c" texts (Null as empty), for comparisons.
QStringList queryRows(const QString &sql, QSqlDatabase db = QSqlDatabase::database(QStringLiteral("newdb")));

} // namespace tarvex::test
