#include "gui/prices/priceimportdialog.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/prices/pricecolumns.h"
#include "gui/common/filedialogs.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarvex {

namespace {

QString keyNames(const PriceTable &table)
{
    QStringList names;
    for (const PriceColumn &c : priceColumns(table.name))
        if (c.key)
            names.append(c.name);
    return names.join(QStringLiteral("+"));
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

QString priceListFilter()
{
    return QStringLiteral("价格表 (*.csv *.xlsx);;所有文件 (*)");
}

PriceImportDialog::PriceImportDialog(const PriceTable &table, QWidget *parent)
    : QDialog(parent)
    , m_table(table)
    , m_path(new QLineEdit(this))
    , m_merge(new QRadioButton(QStringLiteral("合并: 按%1更新已有记录,添加新记录").arg(keyNames(table)), this))
    , m_replace(new QRadioButton(QStringLiteral("替换: 清空%1后载入文件").arg(table.clearName), this))
    , m_summary(new QLabel(this))
    , m_problems(new QTableWidget(0, 2, this))
    , m_import(button(this, "Command2", QStringLiteral("导 入")))
{
    setObjectName(QStringLiteral("drForm"));
    setWindowTitle(QStringLiteral("导入数据-") + table.clearName);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_path->setObjectName(QStringLiteral("Text1"));
    m_path->setReadOnly(true);
    m_merge->setObjectName(QStringLiteral("Option1"));
    m_replace->setObjectName(QStringLiteral("Option2"));
    m_merge->setChecked(true);
    auto *modes = new QButtonGroup(this);
    modes->addButton(m_merge);
    modes->addButton(m_replace);
    connect(modes, &QButtonGroup::buttonToggled, this, [this](QAbstractButton *, bool on) {
        if (on)
            preview();
    });
    m_summary->setObjectName(QStringLiteral("Label1"));
    m_summary->setWordWrap(true);
    m_problems->setObjectName(QStringLiteral("Flex1"));
    m_problems->setHorizontalHeaderLabels({QStringLiteral("行号"), QStringLiteral("无效的原因")});
    m_problems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_problems->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_problems->verticalHeader()->hide();
    m_problems->horizontalHeader()->setStretchLastSection(true);
    m_problems->setColumnWidth(0, 64);

    QPushButton *browse = button(this, "Command1", QStringLiteral("浏览..."));
    QPushButton *cancel = button(this, "Command3", QStringLiteral("取 消"));
    connect(browse, &QPushButton::clicked, this, &PriceImportDialog::chooseFile);
    connect(m_import, &QPushButton::clicked, this, &PriceImportDialog::importFile);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("文件:"), this));
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(browse);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_import);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(m_merge);
    layout->addWidget(m_replace);
    layout->addWidget(m_summary);
    layout->addWidget(m_problems, 1);
    layout->addLayout(buttons);
    resize(640, 440);
}

bool PriceImportDialog::openFile(const QString &path)
{
    try {
        m_file = readPriceListFile(path, m_table);
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    m_path->setText(m_file.path);
    preview();
    return m_previewed;
}

void PriceImportDialog::chooseFile()
{
    const QString path
        = ShowOpenDialog(QStringLiteral("导入数据"), priceListFilter(), QFileInfo(m_file.path).absolutePath());
    if (!path.isEmpty())
        openFile(path);
}

void PriceImportDialog::setMode(ImportMode mode)
{
    (mode == ImportMode::Merge ? m_merge : m_replace)->setChecked(true);
}

void PriceImportDialog::preview()
{
    m_previewed = false;
    const ImportMode mode = m_replace->isChecked() ? ImportMode::Replace : ImportMode::Merge;
    try {
        m_plan = previewPriceImport(m_table, m_file, mode);
        m_previewed = true;
    } catch (const Error &e) {
        m_plan = PriceImportPlan();
        reportError(e.message());
    }
    showPlan();
}

void PriceImportDialog::showPlan()
{
    QString text;
    if (m_previewed) {
        text = m_plan.counts();
        if (m_plan.mode == ImportMode::Replace && m_plan.removed > 0)
            text += QStringLiteral("\n表中另有%1条记录不在文件中,替换后将被删除。").arg(m_plan.removed);
        if (!m_plan.ignoredColumns.isEmpty())
            text += QStringLiteral("\n不属于%1的列将被忽略: %2")
                        .arg(m_table.clearName, m_plan.ignoredColumns.join(QStringLiteral("、")));
        if (!m_plan.invalid.isEmpty())
            text += QStringLiteral("\n有无效的行,改正文件后才能导入:");
    }
    m_summary->setText(text);
    m_problems->setRowCount(int(m_plan.invalid.size()));
    for (int r = 0; r < m_plan.invalid.size(); ++r) {
        const ImportProblem &problem = m_plan.invalid.at(r);
        m_problems->setItem(r, 0, new QTableWidgetItem(QString::number(problem.line)));
        m_problems->setItem(r, 1, new QTableWidgetItem(problem.reason));
    }
    m_problems->setVisible(!m_plan.invalid.isEmpty());
    m_import->setEnabled(m_previewed && m_plan.invalid.isEmpty());
}

void PriceImportDialog::importFile()
{
    if (!m_previewed || !m_plan.invalid.isEmpty())
        return;
    if (m_plan.mode == ImportMode::Replace
        && !messages().question(QStringLiteral("是否确定清除'%1'中所有记录,换为文件中的%2条记录?")
                                    .arg(m_table.clearName)
                                    .arg(m_plan.added + m_plan.changed + m_plan.unchanged)))
        return;
    try {
        const PriceImportPlan done = importPriceList(m_table, m_file, m_plan.mode, &m_plan);
        messages().information(QStringLiteral("数据导入成功!") + done.counts());
    } catch (const Error &e) {
        reportError(e.message());
        // What the table holds now, should it have changed meanwhile.
        preview();
        return;
    }
    accept();
}

} // namespace tarvex
