#include "cli/commands.h"

#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/prices/missingprices.h"
#include "core/quote/datacheck.h"

namespace tarvex::cli {

namespace {

// As the quotation refused by the check.
constexpr int kMissingPrices = 3;

} // namespace

int cmdCheck(Context &context)
{
    CommandLine line(context);
    line.option("json", "FILE|-", "结果和缺价清单写成 JSON (- 为标准输出)");
    if (const auto stop = line.parse(0, 0))
        return *stop;
    if (!openWorkingDatabase(context))
        return 1;
    try {
        // The code and the list read one state of the project.
        const ReadTransaction snapshot;
        const DataCheckResult check = DataCheck();
        const QList<MissingPrice> missing = listMissingPrices();
        const QString json = line.value("json");
        if (json == QLatin1String("-")) {
            context.out << QString::fromUtf8(missingPricesJson(check, dataCheckMessage(check), missing));
        } else {
            context.out << int(check);
            if (check != DataCheckResult::AllPriced)
                context.out << ' ' << dataCheckMessage(check);
            context.out << '\n';
            // One line per material: kind, keys, rows, windows.
            for (const MissingPrice &item : missing) {
                const QStringList fields = QStringList {materialKindName(item.kind)} + missingPriceKeys(item)
                    + QStringList {QString::number(item.rows), QString::number(item.windows)};
                context.out << fields.join(QLatin1Char('\t')) << '\n';
            }
            if (!json.isEmpty())
                saveFileAtomically(json, missingPricesJson(check, dataCheckMessage(check), missing));
        }
        context.out.flush();
        return check == DataCheckResult::AllPriced ? 0 : kMissingPrices;
    } catch (const Error &e) {
        context.err << QStringLiteral("当前错误:") << e.message() << Qt::endl;
        return 1;
    }
}

} // namespace tarvex::cli
