#include "cli/commands.h"

#include "core/common/db/database.h"
#include "core/common/db/sqlscript.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"

#include <QDir>

namespace tarvex::cli {

int cmdInit(Context &context)
{
    CommandLine line(context);
    line.option("seed", "FILE.sql", "在工作数据库上执行 FILE 中的 SQL 语句");
    if (const auto stop = line.parse(0, 0))
        return *stop;
    const QString seed = line.value("seed");
    if (!openWorkingDatabase(context))
        return 1;
    try {
        if (!seed.isEmpty())
            runSqlScriptFile(seed, Database::shared());
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    context.out << workingDataLabel() << Qt::endl;
    return 0;
}

} // namespace tarvex::cli
