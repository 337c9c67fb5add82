#include "common/xlsxtable.h"

#include "common/error.h"
#include "common/savefile.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace tarvex {

namespace {

// libxlsxwriter writes only to a named file: the workbook is built aside,
// then put in place in one step.
template <typename Fill> void writeWorkbook(const QString &path, Fill fill)
{
    QTemporaryDir folder;
    const QString temporary = folder.filePath(QStringLiteral("table.xlsx"));
    lxw_workbook *workbook = folder.isValid() ? workbook_new(QFile::encodeName(temporary).constData()) : nullptr;
    if (!workbook)
        throw Error(QStringLiteral("无法创建文件 ") + QDir::toNativeSeparators(path));
    fill(workbook_add_worksheet(workbook, nullptr));
    const lxw_error result = workbook_close(workbook);
    if (result != LXW_NO_ERROR)
        throw Error(cannotWriteText(path, QString::fromUtf8(lxw_strerror(result))));
    QFile built(temporary);
    if (!built.open(QIODevice::ReadOnly))
        throw Error(cannotWriteText(path, built.errorString()));
    saveFileAtomically(path, built.readAll());
}

} // namespace

void writeXlsxTable(const QString &path, const QList<QStringList> &rows)
{
    writeWorkbook(path, [&](lxw_worksheet *sheet) {
        for (int r = 0; r < rows.size(); ++r) {
            const QStringList &row = rows.at(r);
            for (int c = 0; c < row.size(); ++c) {
                if (row.at(c).isEmpty())
                    continue;
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), row.at(c).toUtf8().constData(), nullptr);
            }
        }
    });
}

void writeXlsxValues(const QString &path, const QList<QVariantList> &rows)
{
    writeWorkbook(path, [&](lxw_worksheet *sheet) {
        for (int r = 0; r < rows.size(); ++r) {
            const QVariantList &row = rows.at(r);
            for (int c = 0; c < row.size(); ++c) {
                const QVariant &value = row.at(c);
                const int type = value.typeId();
                if (value.isNull())
                    continue;
                if (type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong)
                    worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), value.toDouble(), nullptr);
                else
                    worksheet_write_string(
                        sheet, lxw_row_t(r), lxw_col_t(c), value.toString().toUtf8().constData(), nullptr);
            }
        }
    });
}

} // namespace tarvex
