#include "testsupport.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/db/libraryschema.h"
#include "core/common/db/schema.h"
#include "core/common/db/serverconnection.h"
#include "core/common/db/serverschema.h"
#include "core/common/db/sqlscript.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/rawdata/workingtables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace tarvex::test {

namespace {

bool engineRows = false;
TestEngine engineInUse = TestEngine::Sqlite;

const QString kAdmin = QStringLiteral("test-admin");

QString suiteDatabase()
{
    QString name = QCoreApplication::applicationName().toLower();
    for (QChar &c : name)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    return QStringLiteral("t_") + name;
}

// A fresh database for the suite: dropped and made again at the first use.
void makeSuiteDatabase()
{
    static bool made = false;
    if (made)
        return;
    {
        QSqlDatabase db = openServerConnection(testServerMaintenance(), {QStringLiteral("public")}, kAdmin);
        const QString name = suiteDatabase();
        sqlExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name), {}, db);
        sqlExec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' LOCALE 'C'").arg(name), {}, db);
    }
    Database::close(kAdmin);
    made = true;
}

// The suite's database as server init leaves it, every seat gone.
void resetServer()
{
    QSqlDatabase db = testServerAdmin();
    QSqlQuery schemas = sqlExec(QStringLiteral("SELECT nspname FROM pg_namespace WHERE nspname NOT LIKE 'pg\\_%' "
                                               "AND nspname NOT IN ('public','information_schema')"),
        {}, db);
    QStringList names;
    while (schemas.next())
        names.append(schemas.value(0).toString());
    if (!names.isEmpty())
        sqlExec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(names.join(QLatin1Char(','))), {}, db);
    initServerSchema(db, {workingSchemaPlan(), librarySchemaPlan(QString())});
}

} // namespace

void addEngineRows()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("SQLite") << QStringLiteral("sqlite");
    QTest::newRow("PostgreSQL") << QStringLiteral("postgresql");
    engineRows = true;
}

void addServerRow()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("PostgreSQL") << QStringLiteral("postgresql");
    engineRows = true;
}

void useEngineOfRow()
{
    QFETCH_GLOBAL(QString, engine);
    engineInUse = engine == QLatin1String("postgresql") ? TestEngine::Server : TestEngine::Sqlite;
    if (engineInUse != TestEngine::Server || qEnvironmentVariableIsSet("TARVEX_TEST_SERVER"))
        return;
    if (qEnvironmentVariableIsSet("TARVEX_SKIP_SERVER"))
        QTest::qSkip("TARVEX_SKIP_SERVER: no test server", __FILE__, __LINE__);
    else
        QTest::qFail(
            "TARVEX_TEST_SERVER is not set: the test cluster is started by CTest (fixture server)", __FILE__, __LINE__);
}

TestEngine currentEngine()
{
    return engineRows ? engineInUse : TestEngine::Sqlite;
}

QString testServerMaintenance()
{
    return qEnvironmentVariable("TARVEX_TEST_SERVER") + QStringLiteral(" dbname=postgres");
}

QString testServerConninfo()
{
    makeSuiteDatabase();
    return qEnvironmentVariable("TARVEX_TEST_SERVER") + QStringLiteral(" dbname=") + suiteDatabase();
}

QSqlDatabase testServerAdmin()
{
    if (QSqlDatabase::contains(kAdmin) && QSqlDatabase::database(kAdmin, false).isOpen()
        && !serverConnectionLost(QSqlDatabase::database(kAdmin, false)))
        return QSqlDatabase::database(kAdmin, false);
    return openServerConnection(testServerConninfo(), {sharedSchemaName(), QStringLiteral("public")}, kAdmin);
}

TestHome::TestHome(Demo demo)
{
    setProgramFolder(m_dir.path());
    QByteArray ini("[sysPath]\r\npath1=\r\npath2=\r\n");
    if (onTestServer()) {
        resetServer();
        ini += "[db]\r\nengine=postgresql\r\nconninfo=" + testServerConninfo().toUtf8() + "\r\nseat=seat1\r\n";
    }
    writeFile(file(QStringLiteral("cs.ini")), ini);
    appState() = AppState();
    appState().dataFolder = m_dir.path();
    appState().libraryFolder = m_dir.path();
    reopen();
    setMessageService(&m_messages);
    if (demo != Demo::None)
        loadDemoPrices();
    if (demo == Demo::PricesAndProject)
        loadDemoProject();
}

TestHome::~TestHome()
{
    setMessageService(nullptr);
    Database::closeShared();
    setProgramFolder(QString());
}

void TestHome::reopen(const QString &seat)
{
    DatabaseSettings settings = readDatabaseSettings(file(QStringLiteral("cs.ini")));
    if (!seat.isEmpty())
        settings.seat = seat;
    Database::openWorking(settings, m_dir.path());
}

QString TestHome::file(const QString &relative) const
{
    return QDir(m_dir.path()).filePath(relative);
}

void TestHome::runScript(const QString &path)
{
    runSqlScriptFile(path, Database::shared());
}

void TestHome::loadDemoPrices()
{
    runScript(sourcePath(QStringLiteral("data/demo/prices.sql")));
}

void TestHome::loadDemoProject()
{
    loadRawDataFile(sourcePath(QStringLiteral("data/demo/demo.xdt")));
}

void TestHome::logInAsReader()
{
    sqlExec(QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'clerk') THEN "
                           "CREATE ROLE clerk LOGIN IN ROLE tarvex_reader; END IF; END $$"),
        {}, testServerAdmin());
    sqlExec(QStringLiteral("GRANT ALL ON SCHEMA seat1 TO clerk; GRANT ALL ON ALL TABLES IN SCHEMA seat1 TO clerk"), {},
        testServerAdmin());
    writeFile(
        file(QStringLiteral("cs.ini")), readFile(file(QStringLiteral("cs.ini"))).replace("user=tarvex", "user=clerk"));
    reopen();
}

QString sourcePath(const QString &relative)
{
    return QDir(QStringLiteral(TARVEX_SOURCE_DIR)).filePath(relative);
}

QString testDataPath(const QString &relative)
{
    return QDir(QStringLiteral(TARVEX_TEST_DATA)).filePath(relative);
}

QString errorOf(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const Error &e) {
        return e.message();
    }
    return QString();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        QTest::qFail(qPrintable(QStringLiteral("cannot write ") + path), __FILE__, __LINE__);
}

void writeTestWorkbook(const QString &path, const QString &rows, const QString &strings, const QString &styles)
{
    QTemporaryDir dir;
    const QList<std::pair<QString, QString>> parts = {
        {QStringLiteral("[Content_Types].xml"), QStringLiteral("<Types/>")},
        {QStringLiteral("xl/workbook.xml"),
            QStringLiteral("<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                           "relationships\"><sheets><sheet name=\"价格\" sheetId=\"1\" r:id=\"rId1\"/>"
                           "</sheets></workbook>")},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
            QStringLiteral("<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\" "
                           "Type=\"x/worksheet\"/><Relationship Id=\"rId2\" Target=\"sharedStrings.xml\" "
                           "Type=\"x/sharedStrings\"/><Relationship Id=\"rId3\" Target=\"styles.xml\" "
                           "Type=\"x/styles\"/></Relationships>")},
        {QStringLiteral("xl/sharedStrings.xml"), QStringLiteral("<sst>") + strings + QStringLiteral("</sst>")},
        {QStringLiteral("xl/styles.xml"), QStringLiteral("<styleSheet>") + styles + QStringLiteral("</styleSheet>")},
        {QStringLiteral("xl/worksheets/sheet1.xml"),
            QStringLiteral("<worksheet><sheetData>") + rows + QStringLiteral("</sheetData></worksheet>")},
    };
    for (const auto &[name, xml] : parts) {
        QDir().mkpath(QFileInfo(dir.filePath(name)).absolutePath());
        writeFile(dir.filePath(name), xml.toUtf8());
    }
    QFile::remove(path);
    QProcess zip;
    zip.setWorkingDirectory(dir.path());
    zip.start(QStringLiteral("zip"), {QStringLiteral("-qr"), path, QStringLiteral(".")});
    if (!zip.waitForFinished(60000) || zip.exitCode() != 0)
        QTest::qFail(qPrintable(QStringLiteral("cannot zip ") + path), __FILE__, __LINE__);
}

QString runTool(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(tool, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString &pdf)
{
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

QStringList queryRows(const QString &sql, QSqlDatabase db)
{
    QStringList rows;
    QSqlQuery query = sqlExec(sql, {}, db);
    int fieldCount = query.record().count();
    // A server's tables keep the file's rowid as a last column of their own.
    if (fieldCount > 0 && query.record().fieldName(fieldCount - 1) == QLatin1String("rowid")
        && sql.trimmed().startsWith(QLatin1String("SELECT *"), Qt::CaseInsensitive))
        --fieldCount;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < fieldCount; ++i) {
            const QVariant value = query.value(i);
            if (value.isNull())
                fields.append(QString());
            else if (value.typeId() == QMetaType::Bool) // as a file gives a comparison
                fields.append(value.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
            else
                fields.append(value.toString());
        }
        rows.append(fields.join(QLatin1Char('|')));
    }
    return rows;
}

} // namespace tarvex::test
