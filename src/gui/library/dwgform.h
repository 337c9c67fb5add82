#pragma once

#include "core/library/librarypages.h"

#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvex {

class ImageBox;
class LibraryConnection;
class PreviewPanel;

// The drawing library window (下料单图库管理): the series tree, twenty preview
// pictures a page and the selected record's information with its commands.
class DwgForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSlots = SeriesPager::kPageSize;

    explicit DwgForm(QWidget *parent = nullptr);
    ~DwgForm() override;

    // Connects to the library file and builds the tree. On failure reports
    // "当前错误:" and returns false: the window is not to be shown.
    bool load();

    // Empties the preview and information frames and disables the commands.
    void cntIni();
    // Rebuilds the tree and expands the series of the record selected last
    // (else the first series).
    void Reftree();

    // The expand handler's work: the series at its first page, slot 1 selected.
    void openSeries(const QString &series);
    // Fills the slots from the pager's current page.
    void ReadRecord();
    // The page buttons 首页, 前一页, 后一页, 尾页.
    void movePage(SeriesPager::Move move);
    // Click on picture n (1..20): border, record shown in the information frame.
    void selectSlot(int n);
    // Double click on picture n: its cutting-list workbook opened.
    void openWorkbook(int n);
    // A template node chosen in the tree: its first picture selected, on
    // whichever page of its series it stands.
    void showTemplate(const QString &series, const QString &name);

    // The record commands 修改, 删除, 清空 and 导入.
    void modifyRecord();
    void deleteRecord();
    void clearRecords();
    void importRecord();

    QTreeWidget *tree() const { return m_tree; }
    ImageBox *slot(int n) const { return m_pictures[n - 1]; }
    QLabel *caption(int n) const { return m_captions[n - 1]; }
    const SeriesPager &pager() const { return m_pager; }
    qint32 curId() const { return m_curId; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void setRecordButtons(bool enabled);
    void setPageButtons();
    void refreshTree(const QString &series, bool expand);
    void showPage(int page);
    // Turns to the page of the series that shows the record and selects it.
    void showRecord(const QString &series, qint32 id);
    void templateChosen(QTreeWidgetItem *item);
    QTreeWidgetItem *seriesItem(const QString &series) const;
    void seriesExpanded(QTreeWidgetItem *item);
    void seriesCollapsed(QTreeWidgetItem *item);
    int selectedSlot() const;
    int visibleSlots() const;

    std::unique_ptr<LibraryConnection> m_libConn;
    SeriesPager m_pager;
    std::array<qint32, kSlots> m_tuId {};
    qint32 m_curId = 0;

    QTreeWidget *m_tree = nullptr;
    PreviewPanel *m_preview = nullptr;
    QLabel *m_emptyHint = nullptr;
    std::array<ImageBox *, kSlots> m_pictures {};
    std::array<QLabel *, kSlots> m_captions {};
    QLabel *m_pageCountLabel = nullptr; // Label4
    QLabel *m_pageLabel = nullptr; // Label5
    std::array<QPushButton *, 4> m_pageButtons {}; // Command4..Command7
    std::array<QLabel *, 3> m_infoLabels {}; // Label1..Label3
    QLineEdit *m_series = nullptr; // Text1
    QLineEdit *m_name = nullptr; // Text2
    QPlainTextEdit *m_description = nullptr; // Text3
    std::array<QPushButton *, 3> m_recordButtons {}; // Command1..Command3
    QPushButton *m_importButton = nullptr; // Command8
};

} // namespace tarvex
