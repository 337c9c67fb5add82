#include "gui/settings/frmabout.h"

#include "core/app/programicon.h"
#include "core/common/messages.h"
#include "core/settings/systeminfo.h"
#include "gui/common/forms.h"
#include "gui/settings/sysinfodialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <exception>

namespace tarvex {

namespace {

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

const char *const kDescription
    = "    Tarvex 是为门窗、幕墙企业编制的辅助设计软件：它读入 Quorvel 设计软件生成的材料数据，"
      "对型材、配件、玻璃和门窗面积进行统计与汇总，结合企业自己的价格库计算每平方米单价和工程总价，"
      "生成可打印的报价单和电子表格；它还带有门窗图库，可按系列浏览门窗样式，并据此制作下料单。";

const char *const kNotice = "本软件按现状提供。报价结果取决于材料数据和价格库的正确性，请在对外报价前核对；"
                            "请定期备份数据文件夹中的数据库文件。";

} // namespace

FrmAbout::FrmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setSmallDialogFrame(this);
    const QString title = QStringLiteral("关于Quorvel--Tarvex");
    setWindowTitle(title);

    auto *picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QPixmap::fromImage(drawProgramIcon(64)));
    picIcon->setAlignment(Qt::AlignTop);

    QLabel *lblTitle = makeLabel(QStringLiteral("lblTitle"), title, this);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    lblTitle->setFont(big);
    QLabel *lblVersion = makeLabel(QStringLiteral("lblVersion"), QStringLiteral("版本:V1.01"), this);
    QLabel *lblDescription = makeLabel(QStringLiteral("lblDescription"),
        QStringLiteral("应用程序描述") + QStringLiteral("\n\n") + QString::fromUtf8(kDescription), this);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    QLabel *lblDisclaimer
        = makeLabel(QStringLiteral("lblDisclaimer"), QStringLiteral("警告: ") + QString::fromUtf8(kNotice), this);

    auto *cmdOK = new QPushButton(QStringLiteral("确  定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto *cmdSysInfo = new QPushButton(QStringLiteral("系统信息(&S)"), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    // Wrapped labels get a fixed width, so that the box is as tall as its text.
    for (QLabel *label : {lblTitle, lblVersion, lblDescription})
        label->setFixedWidth(440);
    lblDisclaimer->setFixedWidth(400);
    auto *texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(8);
    texts->addWidget(lblDescription);
    auto *top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(texts, 1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblDisclaimer, 1, Qt::AlignTop);
    bottom->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &FrmAbout::StartSysInfo);
}

void FrmAbout::StartSysInfo()
{
    QStringList lines;
    try {
        lines = systemInfoLines();
    } catch (const std::exception &) {
    }
    if (lines.isEmpty()) {
        messages().information(unavailableText(), QStringLiteral("Tarvex"));
        return;
    }
    if (auto *open = findChild<SysInfoDialog *>()) {
        open->setLines(lines);
        open->raise();
        open->activateWindow();
        return;
    }
    auto *dialog = new SysInfoDialog(lines, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

} // namespace tarvex
