#include "gui/library/dwgform.h"

#include "core/common/error.h"
#include "core/common/io/savefile.h"
#include "core/common/messages.h"
#include "core/library/libraryfile.h"
#include "core/library/librarypicture.h"
#include "core/library/libraryrecords.h"
#include "core/library/librarytree.h"
#include "gui/common/forms.h"
#include "gui/library/dwgimport.h"
#include "gui/library/imagebox.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarvex {

namespace {

constexpr int kSeriesRole = Qt::UserRole;
constexpr int kColumns = 5;
constexpr int kRows = 4;
// Pictures are decoded at most this large; the boxes scale them further.
const QSize kDecodeSize(500, 400);

enum TreePicture { CollapsedSeries = 1, ExpandedSeries = 2, Template = 3 };

// The three pictures of the tree, made once and shared by every node.
QIcon treePicture(int number)
{
    static const QIcon pictures[] = {
        QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon),
        QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon),
        QApplication::style()->standardIcon(QStyle::SP_FileIcon),
    };
    return pictures[number - 1];
}

} // namespace

// The twenty picture boxes in 4 rows of 5, each 5:4 with its caption below,
// as large as the frame allows.
class PreviewPanel : public QWidget {
public:
    explicit PreviewPanel(QWidget *parent)
        : QWidget(parent)
    {
        // Small enough for the window to fit a 1024 by 768 screen; the
        // pictures grow with the frame.
        setMinimumSize(kColumns * 72, kRows * 76);
    }

    void add(ImageBox *picture, QLabel *caption) { m_items.append({picture, caption}); }
    // Shown instead of the pictures while the library holds no record.
    void setHint(QLabel *hint) { m_hint = hint; }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        constexpr int gap = 8;
        const int textHeight = fontMetrics().height() + 4;
        int boxWidth = (width() - gap * (kColumns + 1)) / kColumns;
        int boxHeight = boxWidth * 4 / 5;
        if (kRows * (boxHeight + textHeight + gap) + gap > height()) {
            boxHeight = (height() - gap - kRows * (textHeight + gap)) / kRows;
            boxWidth = boxHeight * 5 / 4;
        }
        const int left = (width() - kColumns * boxWidth - (kColumns - 1) * gap) / 2;
        for (int i = 0; i < m_items.size(); ++i) {
            const int x = left + (i % kColumns) * (boxWidth + gap);
            const int y = gap + (i / kColumns) * (boxHeight + textHeight + gap);
            m_items[i].first->setGeometry(x, y, boxWidth, boxHeight);
            m_items[i].second->setGeometry(x, y + boxHeight, boxWidth, textHeight);
        }
        if (m_hint)
            m_hint->setGeometry(rect().adjusted(gap, gap, -gap, -gap));
    }

private:
    QVector<QPair<ImageBox *, QLabel *>> m_items;
    QLabel *m_hint = nullptr;
};

DwgForm::DwgForm(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DwgForm"));
    setWindowTitle(QStringLiteral("下料单图库管理"));
    buildControls();
}

DwgForm::~DwgForm() = default;

void DwgForm::buildControls()
{
    auto *treeFrame = new QGroupBox(QStringLiteral("数据选择"), this);
    treeFrame->setObjectName(QStringLiteral("Frame1"));
    m_tree = new QTreeWidget(treeFrame);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    connect(m_tree, &QTreeWidget::itemExpanded, this, &DwgForm::seriesExpanded);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &DwgForm::seriesCollapsed);
    connect(m_tree, &QTreeWidget::itemClicked, this, &DwgForm::templateChosen);
    connect(m_tree, &QTreeWidget::itemActivated, this, &DwgForm::templateChosen);
    auto *treeLayout = new QVBoxLayout(treeFrame);
    treeLayout->addWidget(m_tree);
    treeFrame->setMinimumWidth(160);
    treeFrame->setMaximumWidth(220);

    auto *previewFrame = new QGroupBox(QStringLiteral("立面图预览"), this);
    previewFrame->setObjectName(QStringLiteral("Frame2"));
    m_preview = new PreviewPanel(previewFrame);
    for (int i = 0; i < kSlots; ++i) {
        auto *picture = new ImageBox(m_preview);
        picture->setObjectName(QStringLiteral("Tu%1").arg(i + 1));
        picture->setFocusPolicy(Qt::ClickFocus);
        auto *caption = new QLabel(m_preview);
        caption->setObjectName(QStringLiteral("La%1").arg(i + 1));
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_pictures[i] = picture;
        m_captions[i] = caption;
        m_preview->add(picture, caption);
        connect(picture, &ImageBox::clicked, this, [this, i] { selectSlot(i + 1); });
        connect(picture, &ImageBox::doubleClicked, this, [this, i] { openWorkbook(i + 1); });
    }
    m_emptyHint
        = new QLabel(QStringLiteral("图库中还没有记录。点击“导入”, 从图片文件和下料单工作簿添加模板。"), m_preview);
    m_emptyHint->setObjectName(QStringLiteral("EmptyHint"));
    m_emptyHint->setAlignment(Qt::AlignCenter);
    m_emptyHint->setWordWrap(true);
    m_emptyHint->hide();
    m_preview->setHint(m_emptyHint);
    m_pageCountLabel = new QLabel(previewFrame);
    m_pageCountLabel->setObjectName(QStringLiteral("Label4"));
    m_pageLabel = new QLabel(previewFrame);
    m_pageLabel->setObjectName(QStringLiteral("Label5"));
    auto *pageRow = new QHBoxLayout;
    pageRow->addWidget(m_pageCountLabel);
    pageRow->addSpacing(12);
    pageRow->addWidget(m_pageLabel);
    pageRow->addStretch(1);
    const char *pageCaptions[] = {"首页", "前一页", "后一页", "尾页"};
    const SeriesPager::Move moves[]
        = {SeriesPager::Move::First, SeriesPager::Move::Previous, SeriesPager::Move::Next, SeriesPager::Move::Last};
    for (int i = 0; i < 4; ++i) {
        auto *button = new QPushButton(QString::fromUtf8(pageCaptions[i]), previewFrame);
        button->setObjectName(QStringLiteral("Command%1").arg(i + 4));
        const SeriesPager::Move move = moves[i];
        connect(button, &QPushButton::clicked, this, [this, move] { movePage(move); });
        m_pageButtons[i] = button;
        pageRow->addWidget(button);
    }
    auto *previewLayout = new QVBoxLayout(previewFrame);
    previewLayout->addWidget(m_preview, 1);
    previewLayout->addLayout(pageRow);

    auto *infoFrame = new QGroupBox(QStringLiteral("图纸信息"), this);
    infoFrame->setObjectName(QStringLiteral("Frame3"));
    infoFrame->setFixedWidth(230);
    auto *infoLayout = new QVBoxLayout(infoFrame);
    for (int i = 0; i < 3; ++i) {
        m_infoLabels[i] = new QLabel(infoFrame);
        m_infoLabels[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }
    m_series = new QLineEdit(infoFrame);
    m_series->setObjectName(QStringLiteral("Text1"));
    m_name = new QLineEdit(infoFrame);
    m_name->setObjectName(QStringLiteral("Text2"));
    m_description = new QPlainTextEdit(infoFrame);
    m_description->setObjectName(QStringLiteral("Text3"));
    m_description->setTabChangesFocus(true);
    infoLayout->addWidget(m_infoLabels[0]);
    infoLayout->addWidget(m_series);
    infoLayout->addWidget(m_infoLabels[1]);
    infoLayout->addWidget(m_name);
    infoLayout->addWidget(m_infoLabels[2]);
    infoLayout->addWidget(m_description, 1);
    auto *buttons = new QGridLayout;
    const char *recordCaptions[] = {"修改", "删除", "清空"};
    for (int i = 0; i < 3; ++i) {
        m_recordButtons[i] = new QPushButton(QString::fromUtf8(recordCaptions[i]), infoFrame);
        m_recordButtons[i]->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        buttons->addWidget(m_recordButtons[i], i / 2, i % 2);
    }
    m_importButton = new QPushButton(QStringLiteral("导入"), infoFrame);
    m_importButton->setObjectName(QStringLiteral("Command8"));
    m_importButton->setToolTip(QStringLiteral("从图片文件和下料单工作簿添加一条图库记录"));
    buttons->addWidget(m_importButton, 1, 1);
    infoLayout->addLayout(buttons);
    connect(m_recordButtons[0], &QPushButton::clicked, this, &DwgForm::modifyRecord);
    connect(m_recordButtons[1], &QPushButton::clicked, this, &DwgForm::deleteRecord);
    connect(m_recordButtons[2], &QPushButton::clicked, this, &DwgForm::clearRecords);
    connect(m_importButton, &QPushButton::clicked, this, &DwgForm::importRecord);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(treeFrame);
    layout->addWidget(previewFrame, 1);
    layout->addWidget(infoFrame);
    resize(1240, 720);
}

bool DwgForm::load()
{
    cntIni();
    try {
        m_libConn.reset();
        m_libConn = std::make_unique<LibraryConnection>();
        refreshTree(QString(), false);
    } catch (const Error &e) {
        m_libConn.reset();
        reportError(e.message());
        return false;
    }
    return true;
}

void DwgForm::cntIni()
{
    for (int i = 0; i < kSlots; ++i) {
        m_pictures[i]->clearPicture();
        m_pictures[i]->hide();
        m_captions[i]->clear();
    }
    m_pageCountLabel->clear();
    m_pageLabel->clear();
    for (QPushButton *button : m_pageButtons)
        button->setEnabled(false);
    setRecordButtons(false);
    m_infoLabels[0]->setText(QStringLiteral("门窗系列:"));
    m_infoLabels[1]->setText(QStringLiteral("模板名称:"));
    m_infoLabels[2]->setText(QStringLiteral("模板描述:"));
    m_series->clear();
    m_name->clear();
    m_description->clear();
}

void DwgForm::setRecordButtons(bool enabled)
{
    for (QPushButton *button : m_recordButtons)
        button->setEnabled(enabled);
}

void DwgForm::setPageButtons()
{
    m_pageButtons[0]->setEnabled(m_pager.canMoveBack());
    m_pageButtons[1]->setEnabled(m_pager.canMoveBack());
    m_pageButtons[2]->setEnabled(m_pager.canMoveOn());
    m_pageButtons[3]->setEnabled(m_pager.canMoveOn());
    m_pageCountLabel->setText(QStringLiteral("共%1页").arg(m_pager.pageCount()));
    m_pageLabel->setText(QStringLiteral("第%1页").arg(m_pager.curPage()));
}

void DwgForm::Reftree()
{
    refreshTree(m_series->text().trimmed(), true);
}

// At load nothing is expanded; afterwards the series given, else the first.
// Failures pass to the caller.
void DwgForm::refreshTree(const QString &series, bool expand)
{
    const LibraryTree library = readLibraryTree(m_libConn->db());
    m_tree->clear();
    QList<QTreeWidgetItem *> roots;
    roots.reserve(library.size());
    for (const LibrarySeries &s : library) {
        auto *root = new QTreeWidgetItem({s.name});
        root->setData(0, kSeriesRole, s.name);
        root->setIcon(0, treePicture(CollapsedSeries));
        QList<QTreeWidgetItem *> children;
        children.reserve(s.templates.size());
        for (const QString &name : s.templates) {
            auto *child = new QTreeWidgetItem({name});
            child->setIcon(0, treePicture(Template));
            children.append(child);
        }
        root->addChildren(children);
        roots.append(root);
    }
    m_tree->insertTopLevelItems(0, roots);
    m_emptyHint->setVisible(roots.isEmpty());
    if (!expand)
        return;
    if (roots.isEmpty()) {
        // Nothing is left to show: no stale pictures, no commands that can only fail.
        cntIni();
        return;
    }
    QTreeWidgetItem *item = seriesItem(series);
    (item ? item : roots.first())->setExpanded(true);
}

QTreeWidgetItem *DwgForm::seriesItem(const QString &series) const
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        if (m_tree->topLevelItem(i)->data(0, kSeriesRole).toString() == series)
            return m_tree->topLevelItem(i);
    return nullptr;
}

void DwgForm::seriesExpanded(QTreeWidgetItem *item)
{
    if (item->parent())
        return;
    item->setIcon(0, treePicture(ExpandedSeries));
    openSeries(item->data(0, kSeriesRole).toString());
}

void DwgForm::templateChosen(QTreeWidgetItem *item)
{
    if (item->parent())
        showTemplate(item->parent()->data(0, kSeriesRole).toString(), item->text(0));
}

void DwgForm::showTemplate(const QString &series, const QString &name)
{
    try {
        const qint32 id = SeriesPager::firstRecordNamed(m_libConn->db(), series, name);
        if (id == 0)
            throw Error(QStringLiteral("图库中已没有门窗系列 %1 的模板 %2").arg(series, name));
        if (m_pager.series() != series || m_pager.curPage() == 0)
            openSeries(series);
        showRecord(series, id);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DwgForm::showRecord(const QString &series, qint32 id)
{
    const int page = SeriesPager::pageOfRecord(m_libConn->db(), series, id);
    if (page >= 1 && page != m_pager.curPage())
        showPage(page);
    for (int i = 0; i < visibleSlots(); ++i)
        if (m_tuId[i] == id && selectedSlot() != i + 1)
            selectSlot(i + 1);
}

void DwgForm::seriesCollapsed(QTreeWidgetItem *item)
{
    if (item->parent())
        return;
    item->setIcon(0, treePicture(CollapsedSeries));
    cntIni();
}

void DwgForm::openSeries(const QString &series)
{
    cntIni();
    try {
        m_pager.open(m_libConn->db(), series);
        setPageButtons();
        ReadRecord();
        if (!m_pictures[0]->isHidden())
            selectSlot(1);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DwgForm::showPage(int page)
{
    cntIni();
    try {
        m_pager.setPage(page);
        ReadRecord();
        setPageButtons();
        if (!m_pictures[0]->isHidden())
            selectSlot(1);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DwgForm::movePage(SeriesPager::Move move)
{
    showPage(m_pager.targetPage(move));
}

void DwgForm::ReadRecord()
{
    const QVector<LibraryItem> items = m_pager.readPage(m_libConn->db());
    QVector<QByteArray> pictures;
    for (const LibraryItem &item : items)
        pictures.append(item.picture);
    const QVector<QImage> thumbnails = libraryThumbnails(pictures, kDecodeSize);
    for (int i = 0; i < items.size() && i < kSlots; ++i) {
        const LibraryItem &item = items[i];
        // A picture that cannot be decoded leaves the box empty; the record
        // can still be selected, modified or deleted.
        m_pictures[i]->setPicture(thumbnails[i]);
        m_captions[i]->setText(item.name);
        m_pictures[i]->setToolTip(item.description);
        m_pictures[i]->show();
        m_tuId[i] = item.id;
    }
}

void DwgForm::selectSlot(int n)
{
    if (n < 1 || n > kSlots || m_pictures[n - 1]->isHidden())
        return;
    for (ImageBox *picture : m_pictures)
        picture->setBorderStyle(0);
    m_pictures[n - 1]->setBorderStyle(1);
    try {
        const LibraryRecord record = readLibraryRecord(m_libConn->db(), m_tuId[n - 1]);
        m_curId = record.id;
        m_series->setText(record.series);
        m_name->setText(record.name);
        m_description->setPlainText(record.description);
        setRecordButtons(true);
    } catch (const Error &e) {
        // The record went meanwhile: nothing is left for 修改 and 删除 to act on.
        m_curId = 0;
        m_series->clear();
        m_name->clear();
        m_description->clear();
        m_recordButtons[0]->setEnabled(false);
        m_recordButtons[1]->setEnabled(false);
        reportError(e.message());
    }
}

int DwgForm::selectedSlot() const
{
    for (int i = 0; i < kSlots; ++i)
        if (!m_pictures[i]->isHidden() && m_pictures[i]->borderStyle() == 1)
            return i + 1;
    return 0;
}

int DwgForm::visibleSlots() const
{
    int count = 0;
    while (count < kSlots && !m_pictures[count]->isHidden())
        ++count;
    return count;
}

void DwgForm::openWorkbook(int n)
{
    if (n < 1 || n > kSlots || m_pictures[n - 1]->isHidden())
        return;
    try {
        const QString path = writeLibraryWorkbookToTemp(m_libConn->db(), m_tuId[n - 1]);
        if (path.isEmpty())
            messages().information(QStringLiteral("此模板没有下料单工作簿!"));
        else if (!openWithDesktop(path))
            messages().information(
                QStringLiteral("下料单工作簿已写入:") + QLatin1Char('\n') + QDir::toNativeSeparators(path));
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DwgForm::modifyRecord()
{
    try {
        const qint32 id = m_curId;
        modifyLibraryRecord(m_libConn->db(), {id, m_series->text(), m_name->text(), m_description->toPlainText()});
        messages().information(QStringLiteral("记录修改成功!"));
        const QString series = m_series->text().trimmed();
        Reftree();
        // The record stays in view, on whichever page of its series it is.
        showRecord(series, id);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DwgForm::deleteRecord()
{
    if (!messages().question(QStringLiteral("确实要删除当前记录吗?")))
        return;
    try {
        deleteLibraryRecord(m_libConn->db(), m_curId);
        messages().information(QStringLiteral("记录删除成功!"));
        Reftree();
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DwgForm::clearRecords()
{
    if (!messages().question(QStringLiteral("确实要清除所有记录吗?此操作是不可逆的,请谨慎使用!")))
        return;
    try {
        const QString copy = clearLibraryRecords(m_libConn->db());
        QString text = QStringLiteral("记录清除成功!");
        if (!copy.isEmpty())
            text += QLatin1Char('\n') + backupKeptText(copy)
                + QStringLiteral("\n需要恢复时, 关闭图库窗口, 用此文件替换 %1。").arg(libraryFileName());
        messages().information(text);
        Reftree();
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DwgForm::importRecord()
{
    if (!m_libConn)
        return;
    try {
        DwgImport dialog(m_libConn->db(), librarySeriesNames(m_libConn->db()), m_series->text().trimmed(), this);
        if (!runLibraryDialog(&dialog))
            return;
        const qint32 id = dialog.newId();
        const QString series = dialog.series();
        refreshTree(series, true);
        // The new record is last in its series: show its page and select it.
        showRecord(series, id);
    } catch (const Error &e) {
        reportError(e.message());
    }
}

void DwgForm::keyPressEvent(QKeyEvent *event)
{
    // Keys act on the pictures once one of them has the focus.
    auto *focused = qobject_cast<ImageBox *>(focusWidget());
    const int current = selectedSlot();
    const int count = visibleSlots();
    if (!focused || current == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    int target = current;
    switch (event->key()) {
    case Qt::Key_Left:
        target = current - 1;
        break;
    case Qt::Key_Right:
        target = current + 1;
        break;
    case Qt::Key_Up:
        target = current - kColumns;
        break;
    case Qt::Key_Down:
        target = current + kColumns;
        break;
    case Qt::Key_PageUp:
        if (m_pager.canMoveBack())
            movePage(SeriesPager::Move::Previous);
        m_pictures[0]->setFocus();
        return;
    case Qt::Key_PageDown:
        if (m_pager.canMoveOn())
            movePage(SeriesPager::Move::Next);
        m_pictures[0]->setFocus();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openWorkbook(current);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (target >= 1 && target <= count && target != current) {
        selectSlot(target);
        m_pictures[target - 1]->setFocus();
    }
}

} // namespace tarvex
