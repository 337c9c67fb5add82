#include "gui/library/dwgimport.h"

#include "core/common/error.h"
#include "core/common/messages.h"
#include "core/library/librarypicture.h"
#include "core/library/libraryrecords.h"
#include "gui/common/filedialogs.h"
#include "gui/common/forms.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarvex {

namespace {

LibraryDialogRunner &runner()
{
    static LibraryDialogRunner run;
    return run;
}

QWidget *fileRow(QLineEdit *box, QPushButton *button, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box, 1);
    layout->addWidget(button);
    return row;
}

} // namespace

void setLibraryDialogRunner(LibraryDialogRunner run)
{
    runner() = std::move(run);
}

bool runLibraryDialog(QDialog *dialog)
{
    if (runner()) {
        runner()(dialog);
        return dialog->result() == QDialog::Accepted;
    }
    return dialog->exec() == QDialog::Accepted;
}

DwgImport::DwgImport(QSqlDatabase db, const QStringList &series, const QString &currentSeries, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_seriesBox(new QComboBox(this))
    , m_nameBox(new QLineEdit(this))
    , m_descriptionBox(new QLineEdit(this))
    , m_pictureBox(new QLineEdit(this))
    , m_workbookBox(new QLineEdit(this))
    , m_preview(new QLabel(this))
{
    setObjectName(QStringLiteral("DwgImport"));
    setSmallDialogFrame(this);
    setWindowTitle(QStringLiteral("导入图库记录"));
    m_seriesBox->setObjectName(QStringLiteral("Combo1"));
    m_seriesBox->setEditable(true);
    m_seriesBox->addItems(series);
    m_seriesBox->setCurrentText(currentSeries);
    m_nameBox->setObjectName(QStringLiteral("Text1"));
    m_descriptionBox->setObjectName(QStringLiteral("Text2"));
    m_pictureBox->setObjectName(QStringLiteral("Text3"));
    m_workbookBox->setObjectName(QStringLiteral("Text4"));
    m_workbookBox->setPlaceholderText(QStringLiteral("可不选"));
    m_preview->setObjectName(QStringLiteral("Image1"));
    m_preview->setFixedSize(250, 200);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);

    auto *browsePicture = new QPushButton(QStringLiteral("浏览..."), this);
    browsePicture->setObjectName(QStringLiteral("Command3"));
    auto *browseWorkbook = new QPushButton(QStringLiteral("浏览..."), this);
    browseWorkbook->setObjectName(QStringLiteral("Command4"));
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("Command2"));

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("门窗系列:"), m_seriesBox);
    form->addRow(QStringLiteral("模板名称:"), m_nameBox);
    form->addRow(QStringLiteral("模板描述:"), m_descriptionBox);
    form->addRow(QStringLiteral("立面图片:"), fileRow(m_pictureBox, browsePicture, this));
    form->addRow(QStringLiteral("下料单工作簿:"), fileRow(m_workbookBox, browseWorkbook, this));
    form->addRow(QString(), m_preview);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    form->addRow(buttons);

    connect(browsePicture, &QPushButton::clicked, this, &DwgImport::choosePicture);
    connect(browseWorkbook, &QPushButton::clicked, this, &DwgImport::chooseWorkbook);
    connect(m_pictureBox, &QLineEdit::editingFinished, this, &DwgImport::showPicture);
    connect(ok, &QPushButton::clicked, this, &DwgImport::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, sizeHint().height());
}

void DwgImport::choosePicture()
{
    const QString path = ShowOpenDialog(QStringLiteral("选择立面图片"),
        QStringLiteral("图片文件 (*.png *.jpg *.jpeg *.bmp *.gif);;所有文件 (*)"),
        QFileInfo(m_pictureBox->text()).absolutePath());
    if (!path.isEmpty()) {
        m_pictureBox->setText(path);
        showPicture();
    }
}

void DwgImport::chooseWorkbook()
{
    const QString path = ShowOpenDialog(QStringLiteral("选择下料单工作簿"),
        QStringLiteral("Excel 工作簿 (*.xlsx *.xls);;所有文件 (*)"), QFileInfo(m_workbookBox->text()).absolutePath());
    if (!path.isEmpty())
        m_workbookBox->setText(path);
}

void DwgImport::showPicture()
{
    // Only a look: the checks happen on 确定.
    QFile file(m_pictureBox->text().trimmed());
    const QFileInfo info(file);
    QImage picture;
    if (info.isFile() && info.size() < 32 * 1024 * 1024 && file.open(QIODevice::ReadOnly))
        picture = libraryThumbnail(file.readAll(), m_preview->size() - QSize(4, 4));
    if (picture.isNull())
        m_preview->setText(m_pictureBox->text().trimmed().isEmpty() ? QString() : QStringLiteral("无法显示此图片"));
    else
        m_preview->setPixmap(QPixmap::fromImage(picture));
}

void DwgImport::confirm()
{
    const LibraryImport request {m_seriesBox->currentText(), m_nameBox->text(), m_descriptionBox->text(),
        m_pictureBox->text(), m_workbookBox->text()};
    if (!request.isComplete()) {
        messages().warning(QStringLiteral("项目填写不完整!请填定完整后重试!"));
        return;
    }
    try {
        m_newId = importLibraryRecord(m_db, request);
    } catch (const Error &e) {
        reportError(e.message());
        return;
    }
    m_series = request.series.trimmed();
    messages().information(QStringLiteral("数据添加成功!"));
    accept();
}

} // namespace tarvex
