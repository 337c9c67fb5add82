#include "cli/commands.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/offer/offerjson.h"
#include "core/offer/offerregister.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace tarvex::cli {

namespace {

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

std::optional<QDate> dateOption(const CommandLine &line, const char *name)
{
    if (!line.isSet(name))
        return QDate();
    const QDate date = QDate::fromString(line.value(name), Qt::ISODate);
    if (!date.isValid()) {
        line.usageError(QStringLiteral("--%1 应为日期 (yyyy-MM-dd): %2").arg(QLatin1String(name), line.value(name)));
        return std::nullopt;
    }
    return date;
}

void writeJson(Context &context, const QString &target, const QByteArray &json)
{
    if (target == QLatin1String("-"))
        context.out << QString::fromUtf8(json);
    else
        saveFileAtomically(target, json);
}

int listOffers(Context &context, CommandLine &line)
{
    line.option("customer", "TEXT", "客户名称中含有的文字");
    line.option("project", "TEXT", "项目名称中含有的文字");
    line.option("from", "DATE", "报价日期不早于 (yyyy-MM-dd)");
    line.option("to", "DATE", "报价日期不晚于 (yyyy-MM-dd)");
    line.option("json", "FILE|-", "写成 JSON (- 为标准输出)");
    if (const auto stop = line.parse(0, 0))
        return *stop;
    OfferFilter filter;
    filter.customer = line.value("customer");
    filter.project = line.value("project");
    const std::optional<QDate> from = dateOption(line, "from");
    const std::optional<QDate> to = dateOption(line, "to");
    if (!from || !to)
        return kUsageError;
    filter.from = *from;
    filter.to = *to;
    if (!openWorkingDatabase(context))
        return 1;
    const QStringList columns = offerListColumns();
    const OfferListQuery list = offerListQuery(filter);
    QSqlQuery query = sqlExec(list.sql, list.values);
    QJsonArray rows;
    while (query.next()) {
        if (line.isSet("json")) {
            QJsonObject row;
            for (int c = 0; c < columns.size(); ++c)
                row.insert(columns.at(c), QJsonValue::fromVariant(query.value(c)));
            rows.append(row);
            continue;
        }
        QStringList cells;
        for (int c = 0; c < columns.size(); ++c) {
            const QVariant value = query.value(c);
            cells.append(
                value.typeId() == QMetaType::Double ? formatYuan(toFen(value.toDouble())) : oneLine(value.toString()));
        }
        context.out << cells.join(QLatin1Char('\t')) << '\n';
    }
    if (line.isSet("json"))
        writeJson(context, line.value("json"), QJsonDocument(rows).toJson(QJsonDocument::Indented));
    return 0;
}

void writeOfferText(QTextStream &out, const RecordedOffer &recorded)
{
    const Offer &o = recorded.offer;
    out << QStringLiteral("报价编号\t") << o.number << '\n'
        << QStringLiteral("报价日期\t") << o.date.toString(Qt::ISODate) << '\n'
        << QStringLiteral("客户\t") << o.customer << '\n'
        << QStringLiteral("项目\t") << o.project << '\n'
        << QStringLiteral("有效期\t") << o.validityDays << QStringLiteral("天") << '\n';
    if (o.revision > 0)
        out << QStringLiteral("修订自\t") << o.revisionOf << '\n';
    for (const OfferLine &l : o.lines) {
        out << l.window << '\t' << l.series << '\t' << l.count << '\t' << QString::number(l.area, 'f', 2) << '\t'
            << QString::number(l.unitPrice, 'f', 3) << '\t' << formatYuan(l.amount) << '\n';
    }
    const OfferTotals &t = o.totals;
    out << QStringLiteral("合计\t") << formatYuan(t.subtotal) << '\n'
        << QStringLiteral("优惠\t") << formatYuan(t.discount) << '\n'
        << QStringLiteral("税金\t") << formatYuan(t.tax) << '\n'
        << QStringLiteral("总计\t") << formatYuan(t.total) << '\t' << amountInWords(t.total) << '\n';
}

RecordedOffer recordedOffer(const QString &number)
{
    const std::optional<RecordedOffer> recorded = readOffer(number);
    if (!recorded)
        throw Error(QStringLiteral("没有编号为 %1 的报价").arg(number));
    return *recorded;
}

int showOffer(Context &context, CommandLine &line)
{
    line.option("pdf", "FILE", "写出记录中保存的 PDF (逐字节相同)");
    line.option("json", "FILE|-", "写成 JSON (- 为标准输出)");
    if (const auto stop = line.parse(1, 1))
        return *stop;
    if (!openWorkingDatabase(context))
        return 1;
    const RecordedOffer recorded = recordedOffer(line.arguments().first());
    if (line.isSet("pdf"))
        saveFileAtomically(line.value("pdf"), recorded.pdf);
    if (line.isSet("json"))
        writeJson(context, line.value("json"), offerJson(recorded.offer));
    if (!line.isSet("pdf") && !line.isSet("json"))
        writeOfferText(context.out, recorded);
    return 0;
}

int removeOffer(Context &context, CommandLine &line)
{
    line.flag("yes", "确认删除");
    if (const auto stop = line.parse(1, 1))
        return *stop;
    if (!line.isSet("yes"))
        return line.usageError(QStringLiteral("删除报价记录需要 --yes 确认"));
    if (!openWorkingDatabase(context))
        return 1;
    deleteOffer(line.arguments().first());
    context.out << QStringLiteral("已删除报价 ") << line.arguments().first() << Qt::endl;
    return 0;
}

} // namespace

int cmdOffers(Context &context)
{
    return runSubcommand(context,
        {
            {"list", "", "列出报价记录, 每行一个, 编号在前", listOffers},
            {"show", "NUMBER", "显示一个报价; --pdf 写出它当时的 PDF", showOffer},
            {"revise", "NUMBER", "按当前价格修订报价 (编号加 -R1, -R2 ...), 原报价不变", reviseOffer},
            {"delete", "NUMBER", "删除一个报价 (需要 --yes)", removeOffer},
        },
        QStringLiteral("用法: tarvex-cli [--home DIR] offers 子命令 [选项]\n"));
}

} // namespace tarvex::cli
