#include "gui/cutting/remnantform.h"

#include "core/common/db/database.h"
#include "core/common/error.h"
#include "core/common/io/paths.h"
#include "core/common/messages.h"
#include "core/cutting/remnants.h"
#include "gui/common/flexgrid.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvex {

namespace {

const QString kTitle = QStringLiteral("余料库");

// Columns of the grid: remnantGridQuery's order.
enum Column { Id, Code, Length, Project, Date };

} // namespace

RemnantForm::RemnantForm(QWidget *parent)
    : QDialog(parent)
    , m_unit(readCutSettings(iniPath()).unit)
    , m_grid(new FlexGrid)
    , m_code(new QLineEdit)
    , m_length(new QLineEdit)
    , m_project(new QLineEdit)
    , m_date(new QLineEdit(QDate::currentDate().toString(Qt::ISODate)))
{
    setObjectName(QStringLiteral("RemnantForm"));
    setWindowTitle(kTitle);
    m_grid->setObjectName(QStringLiteral("Flex1"));
    m_grid->horizontalHeader()->setDefaultSectionSize(90);
    connect(m_grid, &FlexGrid::currentCellChanged, this, [this](int row, int) { showRow(row); });

    auto *boxes = new QGridLayout;
    const std::pair<QString, QLineEdit *> fields[]
        = {{QStringLiteral("代号"), m_code}, {QStringLiteral("长度(") + unitName(m_unit) + QLatin1Char(')'), m_length},
            {QStringLiteral("工程"), m_project}, {QStringLiteral("日期"), m_date}};
    int column = 0;
    for (const auto &[label, edit] : fields) {
        edit->setObjectName(QStringLiteral("Text%1").arg(column / 2 + 1));
        auto *caption = new QLabel(label);
        caption->setBuddy(edit);
        boxes->addWidget(caption, 0, column++);
        boxes->addWidget(edit, 0, column++);
    }
    auto *buttons = new QHBoxLayout;
    auto button = [&](const char *name, const char *text) {
        auto *b = new QPushButton(QString::fromUtf8(text));
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(button("Command1", "添加"), &QPushButton::clicked, this, &RemnantForm::addRemnant);
    connect(button("Command2", "修改"), &QPushButton::clicked, this, &RemnantForm::updateRemnant);
    connect(button("Command3", "删除"), &QPushButton::clicked, this, &RemnantForm::removeRemnant);
    buttons->addStretch(1);
    connect(button("Command4", "关闭"), &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("下料确认后长度不小于余料最短长度的余料记入此处, 下次下料先用余料.")));
    layout->addWidget(m_grid, 1);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
    resize(720, 480);
    try {
        reload();
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void RemnantForm::reload(qint64 selectId)
{
    m_grid->load(remnantGridQuery(m_unit), Database::shared());
    for (int row = 1; selectId > 0 && row < m_grid->rows(); ++row) {
        if (m_grid->textMatrix(row, Id).toLongLong() == selectId) {
            m_grid->setRow(row);
            showRow(row);
            return;
        }
    }
}

void RemnantForm::showRow(int row)
{
    if (row < 1 || row >= m_grid->rows() || m_grid->recordCount() == 0)
        return;
    m_code->setText(m_grid->textMatrix(row, Code));
    m_length->setText(m_grid->textMatrix(row, Length));
    m_project->setText(m_grid->textMatrix(row, Project));
    m_date->setText(m_grid->textMatrix(row, Date));
}

qint64 RemnantForm::chosenId() const
{
    const int row = m_grid->row();
    if (row < 1 || row >= m_grid->rows() || m_grid->recordCount() == 0)
        return 0;
    return m_grid->textMatrix(row, Id).toLongLong();
}

bool RemnantForm::readBoxes(Remnant &r) const
{
    r.id = chosenId();
    r.code = m_code->text().trimmed();
    r.project = m_project->text().trimmed();
    r.date = m_date->text().trimmed();
    QString problem;
    if (parseRemnantLength(m_length->text(), m_unit, &r.length, &problem))
        problem = checkRemnant(r);
    if (problem.isEmpty() && !QDate::fromString(r.date, Qt::ISODate).isValid())
        problem = QStringLiteral("日期应为 YYYY-MM-DD: ") + r.date;
    if (problem.isEmpty())
        return true;
    messages().warning(problem);
    return false;
}

bool RemnantForm::addRemnant()
{
    Remnant r;
    if (!readBoxes(r))
        return false;
    try {
        reload(tarvex::addRemnant(Database::shared(), r));
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    messages().information(QStringLiteral("数据添加成功!"));
    return true;
}

bool RemnantForm::updateRemnant()
{
    if (chosenId() == 0) {
        messages().warning(QStringLiteral("请先选择要修改的余料"));
        return false;
    }
    Remnant r;
    if (!readBoxes(r))
        return false;
    try {
        tarvex::updateRemnant(Database::shared(), r);
        reload(r.id);
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    messages().information(QStringLiteral("记录修改成功!"));
    return true;
}

bool RemnantForm::removeRemnant()
{
    const qint64 id = chosenId();
    if (id == 0) {
        messages().warning(QStringLiteral("请先选择要删除的余料"));
        return false;
    }
    if (!messages().confirmDeletion(QStringLiteral("是否确定要删除当前记录?")))
        return false;
    try {
        tarvex::removeRemnant(Database::shared(), id);
        reload();
    } catch (const Error &e) {
        reportError(e.message());
        return false;
    }
    messages().information(QStringLiteral("记录删除成功!"));
    return true;
}

} // namespace tarvex
