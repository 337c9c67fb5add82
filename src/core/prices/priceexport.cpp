#include "core/prices/priceexport.h"

#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/csv.h"
#include "core/common/io/savefile.h"
#include "core/common/numbers.h"
#include "core/common/shownvalue.h"
#include "core/document/xlsxcells.h"
#include "core/document/xlsxtable.h"
#include "core/prices/pricecolumns.h"
#include "core/prices/pricetables.h"

#include <QFileInfo>

namespace tarvex {

namespace {

using RowSink = std::function<void(const QVariantList &)>;

// Hands the header row and every record to add, one at a time, in the
// table's load order; returns the number of records.
int readTable(const PriceTable &table, const RowSink &add)
{
    const QList<PriceColumn> &columns = priceColumns(table.name);
    QVariantList header;
    QStringList names;
    for (const PriceColumn &c : columns) {
        header.append(c.name);
        names.append(c.name);
    }
    add(header);
    // Records of equal sort values keep one order from one export to the
    // next. Records without a number (the fees) go out in the table's own
    // order, the one the quotation lists them in, so that a replace from the
    // file gives the same quotation.
    const QString order = table.textKey ? table.entryOrder() : table.orderClause();
    QSqlQuery query = sqlExec(
        QStringLiteral("SELECT ") + names.join(QLatin1Char(',')) + QStringLiteral(" FROM ") + table.name + order);
    int records = 0;
    QVariantList row;
    while (query.next()) {
        row.clear();
        for (int c = 0; c < columns.size(); ++c) {
            const QVariant value = query.value(c);
            const int type = value.typeId();
            const bool numeric = type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int;
            if (value.isNull())
                row.append(QVariant());
            else if (!numeric || columns.at(c).kind == PriceColumnKind::Text)
                // A text stored in a number column goes out as it is, for the
                // user to see and mend, not as a 0.
                row.append(value.toString());
            else if (columns.at(c).kind == PriceColumnKind::Real)
                row.append(value.toDouble());
            else
                row.append(value.toLongLong());
        }
        add(row);
        ++records;
    }
    return records;
}

QString csvText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return plainNumber(value.toDouble());
    return csvField(csvTextCell(value.toString()), u',');
}

int writeCsv(const PriceTable &table, const QString &path)
{
    AtomicFile file(path);
    file.device().write("\xEF\xBB\xBF");
    const int records = readTable(table, [&file](const QVariantList &row) {
        QStringList fields;
        for (const QVariant &value : row)
            fields.append(csvText(value));
        file.device().write(fields.join(QLatin1Char(',')).toUtf8() + "\r\n");
    });
    file.commit();
    return records;
}

// A workbook cell holds 32,767 characters and no control characters (XML
// has no NUL): a text it would cut must not come back from the workbook as
// another record.
void checkFitsWorkbook(const PriceTable &table, const QVariantList &row)
{
    const QList<PriceColumn> &columns = priceColumns(table.name);
    for (int c = 0; c < columns.size(); ++c) {
        const QVariant &value = row.value(c);
        if (value.typeId() != QMetaType::QString)
            continue;
        const QString text = value.toString();
        const bool control = hasControlCharacter(text);
        if (text.size() <= kMaxCellChars && !control)
            continue;
        const QString record = QStringLiteral("%1为“%2”的记录的%3")
                                   .arg(table.keyField, row.value(0).toString().left(60), columns.at(c).name);
        throw Error(QStringLiteral("无法导出到工作簿: ") + record
            + (control ? QStringLiteral("含有控制字符, 工作簿中放不下")
                       : QStringLiteral("有%1个字符, 单元格最多放%2个").arg(text.size()).arg(kMaxCellChars))
            + QStringLiteral("; 请导出为.csv"));
    }
}

int writeXlsx(const PriceTable &table, const QString &path)
{
    XlsxTableWriter writer(path);
    bool header = true;
    const int records = readTable(table, [&](const QVariantList &row) {
        if (!header)
            checkFitsWorkbook(table, row);
        header = false;
        writer.addValues(row);
    });
    writer.finish();
    return records;
}

} // namespace

int exportPriceTable(const PriceTable &table, const QString &path)
{
    int records = 0;
    // One read: a load in another process cannot show through half-way.
    // Each record goes to the file as it is read.
    const ReadTransaction snapshot;
    records = QFileInfo(path).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0 ? writeXlsx(table, path)
                                                                                                : writeCsv(table, path);
    return records;
}

} // namespace tarvex
