#include "commands.h"

#include "app/paths.h"
#include "common/database.h"
#include "common/error.h"
#include "common/sqlscript.h"

#include <QDir>

namespace tarvex::cli {

int cmdInit(Context &context)
{
    bool missing = false;
    const QString seed = takeOption(context.args, QStringLiteral("--seed"), &missing);
    if (missing || !context.args.isEmpty()) {
        context.err << "用法: tarvex-cli [--home DIR] init [--seed FILE.sql]" << Qt::endl;
        return 2;
    }
    if (!openWorkingDatabase(context))
        return 1;
    try {
        if (!seed.isEmpty())
            runSqlScriptFile(seed, Database::shared());
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    context.out << QDir::toNativeSeparators(QDir(dataFolder()).filePath(Database::fileName())) << Qt::endl;
    return 0;
}

} // namespace tarvex::cli
