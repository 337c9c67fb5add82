#include "cli/commands.h"

#include "core/common/error.h"
#include "core/library/demolibrary.h"
#include "core/library/libraryfile.h"
#include "core/library/libraryrecords.h"

#include <QDir>
#include <QFileInfo>

namespace tarvex::cli {

namespace {

// A text on one line of the listing: tabs and line breaks escaped.
QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\t'), QStringLiteral("\\t"))
        .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
}

int listRecords(Context &context, CommandLine &line)
{
    if (const auto stop = line.parse(0, 0))
        return *stop;
    LibraryConnection library;
    context.out << "ID\t门窗系列\t模板名称\t图片字节\t工作簿\t模板描述\n";
    for (const LibraryListEntry &e : listLibraryRecords(library.db()))
        context.out << e.id << '\t' << oneLine(e.series) << '\t' << oneLine(e.name) << '\t' << e.pictureBytes << '\t'
                    << (e.hasWorkbook ? 1 : 0) << '\t' << oneLine(e.description) << '\n';
    return 0;
}

int importRecord(Context &context, CommandLine &line)
{
    line.option("series", "S", "门窗系列 (必填)");
    line.option("name", "N", "模板名称 (必填)");
    line.option("desc", "D", "模板描述");
    if (const auto stop = line.parse(1, 2))
        return *stop;
    if (line.value("series").trimmed().isEmpty() || line.value("name").trimmed().isEmpty())
        return line.usageError(QStringLiteral("需要 --series 和 --name"));
    const QStringList files = line.arguments();
    LibraryConnection library;
    const qint32 id = importLibraryRecord(
        library.db(), {line.value("series"), line.value("name"), line.value("desc"), files.at(0), files.value(1)});
    context.out << QStringLiteral("已导入记录 %1: %2 / %3")
                       .arg(id)
                       .arg(line.value("series").trimmed(), line.value("name").trimmed())
                << Qt::endl;
    return 0;
}

int exportRecord(Context &context, CommandLine &line)
{
    if (const auto stop = line.parse(2, 2))
        return *stop;
    bool ok = false;
    const qint32 id = line.arguments().at(0).toInt(&ok);
    if (!ok || id <= 0)
        return line.usageError(QStringLiteral("ID 应为记录编号 (正整数): ") + line.arguments().at(0));
    LibraryConnection library;
    for (const QString &path : exportLibraryRecord(library.db(), id, line.arguments().at(1)))
        context.out << QDir::toNativeSeparators(path) << '\n';
    return 0;
}

int fillDemo(Context &context, CommandLine &line)
{
    line.flag("if-empty", "图库已有记录时不做改动, 也不算错误");
    if (const auto stop = line.parse(0, 0))
        return *stop;
    LibraryConnection library;
    if (line.isSet("if-empty") && !listLibraryRecords(library.db()).isEmpty()) {
        context.out << QStringLiteral("图库已有记录, 未改动: ") << library.where() << Qt::endl;
        return 0;
    }
    const int records = fillDemoLibrary(library.db());
    context.out << QStringLiteral("示例图库: %1 条记录 -> %2").arg(records).arg(library.where()) << Qt::endl;
    return 0;
}

int initLibrary(Context &context, CommandLine &line)
{
    if (const auto stop = line.parse(0, 0))
        return *stop;
    const QString path = currentLibraryFile();
    const bool existed = QFileInfo::exists(path);
    const LibraryConnection library(path, MissingLibrary::Create);
    context.out << (existed ? QStringLiteral("图库已存在, 未改动: ") : QStringLiteral("已新建空的图库: "))
                << QDir::toNativeSeparators(library.path()) << Qt::endl;
    return 0;
}

} // namespace

int cmdLibrary(Context &context)
{
    return runSubcommand(context,
        {
            {"init", "", "在图库文件夹中新建空的图库 (已有图库时不做改动)", initLibrary},
            {"list", "", "列出图库记录 (制表符分隔: ID、系列、名称、图片字节、有无工作簿、描述)", listRecords},
            {"import", "PICTURE [WORKBOOK.xlsx]", "从图片文件和可选的下料单工作簿添加一条记录", importRecord},
            {"export", "ID DIR", "把记录 ID 的图片和工作簿写入文件夹 DIR", exportRecord},
            {"demo", "", "在空图库中建立示例图库 (三个系列)", fillDemo},
        },
        QStringLiteral("用法: tarvex-cli [--home DIR] library 子命令 [选项]\n"
                       "图库文件为 cs.ini 中 [sysPath] path2 所指文件夹下的 xltDb.sqlite;\n"
                       "它不在程序文件夹中时, 先用 init 新建. 数据库服务器 ([db]) 上的图库在共享数据中.\n"));
}

} // namespace tarvex::cli
