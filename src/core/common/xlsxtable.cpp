#include "common/xlsxtable.h"

#include "common/error.h"
#include "common/savefile.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace tarvex {

void writeXlsxTable(const QString &path, const QList<QStringList> &rows)
{
    // libxlsxwriter writes only to a named file: build it aside, then put it
    // in place in one step.
    QTemporaryDir folder;
    const QString temporary = folder.filePath(QStringLiteral("table.xlsx"));
    lxw_workbook *workbook = folder.isValid() ? workbook_new(QFile::encodeName(temporary).constData()) : nullptr;
    if (!workbook)
        throw Error(QStringLiteral("无法创建文件 ") + QDir::toNativeSeparators(path));
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &row = rows.at(r);
        for (int c = 0; c < row.size(); ++c) {
            if (row.at(c).isEmpty())
                continue;
            worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), row.at(c).toUtf8().constData(), nullptr);
        }
    }
    const lxw_error result = workbook_close(workbook);
    if (result != LXW_NO_ERROR)
        throw Error(cannotWriteText(path, QString::fromUtf8(lxw_strerror(result))));
    QFile built(temporary);
    if (!built.open(QIODevice::ReadOnly))
        throw Error(cannotWriteText(path, built.errorString()));
    saveFileAtomically(path, built.readAll());
}

} // namespace tarvex
