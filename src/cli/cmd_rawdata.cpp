#include "cli/commands.h"

#include "cli/progressline.h"
#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/rawdata/workingtables.h"
#include "core/rawdata/xdtwriter.h"

#include <QDir>

namespace tarvex::cli {

int cmdLoad(Context &context)
{
    CommandLine line(context, QStringLiteral("FILE.xdt"));
    if (const auto stop = line.parse(1, 1))
        return *stop;
    const QString path = line.arguments().first();
    if (!openWorkingDatabase(context))
        return 1;
    try {
        ProgressLine progress(context);
        bool started = false;
        const RawDataCounts data = loadRawDataFile(path, Database::shared(), [&](qint64 done, qint64 total) {
            if (!started)
                progress.start(QStringLiteral("正在载入, 已读字节"), total);
            started = true;
            progress.show(done);
        });
        progress.clear();
        context.out << QStringLiteral("已载入 %1: 主材 %2 行, 玻璃 %3 行, 配件 %4 行, 门窗 %5 行")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(data.profiles)
                           .arg(data.glass)
                           .arg(data.accessories)
                           .arg(data.windows)
                    << Qt::endl;
    } catch (const Error &e) {
        context.err << QStringLiteral("打开文件出错:") << e.message() << Qt::endl;
        return 1;
    }
    return 0;
}

int cmdSave(Context &context)
{
    CommandLine line(context, QStringLiteral("FILE.xdt"));
    if (const auto stop = line.parse(1, 1))
        return *stop;
    const QString path = line.arguments().first();
    if (!openWorkingDatabase(context))
        return 1;
    try {
        writeRawDataFile(path);
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
    context.out << QStringLiteral("已保存 ") << QDir::toNativeSeparators(path) << Qt::endl;
    return 0;
}

} // namespace tarvex::cli
