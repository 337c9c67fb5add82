#include "common/xlsxtable.h"

#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

namespace tarvex {

void writeXlsxTable(const QString &path, const QList<QStringList> &rows)
{
    const QString temporary = path + QStringLiteral(".part");
    QFile::remove(temporary);
    lxw_workbook *workbook = workbook_new(QFile::encodeName(temporary).constData());
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
    if (result != LXW_NO_ERROR) {
        QFile::remove(temporary);
        throw Error(QStringLiteral("无法写入文件 ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                    + QString::fromUtf8(lxw_strerror(result)));
    }
    QFile::remove(path);
    if (!QFile::rename(temporary, path)) {
        QFile::remove(temporary);
        throw Error(QStringLiteral("无法写入文件 ") + QDir::toNativeSeparators(path));
    }
}

} // namespace tarvex
