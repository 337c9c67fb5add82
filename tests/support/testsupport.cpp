#include "testsupport.h"

#include "core/common/appstate.h"
#include "core/common/db/database.h"
#include "core/common/db/sqlscript.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/rawdata/workingtables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace tarvex::test {

TestHome::TestHome(Demo demo)
{
    setProgramFolder(m_dir.path());
    QFile ini(file(QStringLiteral("cs.ini")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[sysPath]\r\npath1=\r\npath2=\r\n");
    ini.close();
    appState() = AppState();
    appState().dataFolder = m_dir.path();
    appState().libraryFolder = m_dir.path();
    Database::open(file(Database::fileName()));
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
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields.append(query.value(i).isNull() ? QString() : query.value(i).toString());
        rows.append(fields.join(QLatin1Char('|')));
    }
    return rows;
}

} // namespace tarvex::test
