#include "core/library/demolibrary.h"

#include "core/common/db/database.h"
#include "core/common/db/sqlitefailure.h"
#include "core/common/error.h"
#include "core/document/xlsxcells.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <memory>

namespace tarvex {

namespace {

using Kind = DemoPane::Kind;

const QString kCasementSeries = QStringLiteral("60系列平开窗");
const QString kSlidingSeries = QStringLiteral("90系列推拉窗");
const QString kDoorSeries = QStringLiteral("70系列平开门");

constexpr int kFrame = 60; // mm, outer frame face
constexpr int kMullion = 50; // mm, mullion and transom face
constexpr int kSash = 55; // mm, sash face

QVector<DemoPane> split(int width, const QVector<Kind> &kinds)
{
    QVector<DemoPane> panes;
    const int each = width / int(kinds.size());
    for (int i = 0; i < kinds.size(); ++i)
        panes.append({kinds[i], i + 1 < kinds.size() ? each : width - each * int(kinds.size() - 1)});
    return panes;
}

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::Fixed:
        return QStringLiteral("固定");
    case Kind::CasementLeft:
        return QStringLiteral("左开");
    case Kind::CasementRight:
        return QStringLiteral("右开");
    case Kind::TopHung:
        return QStringLiteral("上悬");
    case Kind::SlideLeft:
    case Kind::SlideRight:
        return QStringLiteral("推拉");
    case Kind::DoorLeft:
        return QStringLiteral("左开门扇");
    case Kind::DoorRight:
        return QStringLiteral("右开门扇");
    }
    return QString();
}

QString layoutText(const QVector<DemoPane> &panes)
{
    QStringList parts;
    for (const DemoPane &p : panes)
        parts.append(kindText(p.kind));
    return parts.join(QLatin1Char('+'));
}

DemoTemplate makeTemplate(const QString &series, const QString &prefix, int seq, int width, int height,
    const QVector<Kind> &lower, int topHeight, const QVector<Kind> &top, const QString &material)
{
    DemoTemplate t;
    t.series = series;
    t.name = QStringLiteral("%1%2%3-%4")
                 .arg(prefix)
                 .arg(width / 100, 2, 10, QLatin1Char('0'))
                 .arg(height / 100, 2, 10, QLatin1Char('0'))
                 .arg(seq, 2, 10, QLatin1Char('0'));
    t.width = width;
    t.height = height;
    t.topHeight = topHeight;
    t.panes = split(width, lower);
    if (topHeight > 0)
        t.topPanes = split(width, top);
    t.description = QStringLiteral("宽%1×高%2; %3%4; %5")
                        .arg(width)
                        .arg(height)
                        .arg(layoutText(t.panes),
                            topHeight > 0 ? QStringLiteral(", 上亮%1 高%2").arg(layoutText(t.topPanes)).arg(topHeight)
                                          : QString(),
                            material);
    return t;
}

bool sliding(Kind kind)
{
    return kind == Kind::SlideLeft || kind == Kind::SlideRight;
}

// Two sliding sashes meet without a mullion between them: they overlap.
bool meetingStile(const QVector<DemoPane> &panes, int boundary)
{
    return sliding(panes[boundary - 1].kind) && sliding(panes[boundary].kind);
}

int mullionCount(const QVector<DemoPane> &panes)
{
    int count = 0;
    for (int i = 1; i < panes.size(); ++i)
        count += meetingStile(panes, i) ? 0 : 1;
    return count;
}

// How far a pane's opening starts inside its boundary: the frame at the
// outside, half a mullion between panes, and a sliding sash reaches over.
double inset(const QVector<DemoPane> &panes, int boundary)
{
    if (boundary == 0 || boundary == panes.size())
        return kFrame;
    return meetingStile(panes, boundary) ? -15.0 : kMullion / 2.0;
}

// Pane rectangles in mm: the clear opening between frame, mullions and transom.
QVector<QPair<QRectF, Kind>> openings(const DemoTemplate &t)
{
    QVector<QPair<QRectF, Kind>> result;
    auto row = [&](const QVector<DemoPane> &panes, double top, double bottom, bool topEdge, bool bottomEdge) {
        double x = 0;
        for (int i = 0; i < panes.size(); ++i) {
            const double left = x + inset(panes, i);
            x += panes[i].width;
            const double right = x - inset(panes, i + 1);
            const double y0 = top + (topEdge ? kFrame : kMullion / 2.0);
            const double y1 = bottom - (bottomEdge ? kFrame : kMullion / 2.0);
            result.append({QRectF(QPointF(left, y0), QPointF(right, y1)), panes[i].kind});
        }
    };
    if (t.topHeight > 0) {
        row(t.topPanes, 0, t.topHeight, true, false);
        row(t.panes, t.topHeight, t.height, false, true);
    } else {
        row(t.panes, 0, t.height, true, true);
    }
    return result;
}

void drawGlass(QPainter &p, const QRectF &r)
{
    p.fillRect(r, QColor(0xd6, 0xec, 0xf5));
    p.setPen(QPen(QColor(0x9c, 0xc8, 0xdc), 1));
    const double d = qMin(r.width(), r.height()) / 5;
    p.drawLine(QPointF(r.left() + d, r.top() + 2 * d), QPointF(r.left() + 2 * d, r.top() + d));
    p.drawLine(QPointF(r.left() + d, r.top() + 3 * d), QPointF(r.left() + 3 * d, r.top() + d));
    p.drawRect(r);
}

void drawArrow(QPainter &p, const QRectF &r, bool toLeft)
{
    const double y = r.center().y();
    const double len = r.width() * 0.3;
    const double x0 = r.center().x() - len / 2, x1 = r.center().x() + len / 2;
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1.4));
    p.drawLine(QPointF(x0, y), QPointF(x1, y));
    const double tip = toLeft ? x0 : x1, back = toLeft ? 7 : -7;
    p.drawLine(QPointF(tip, y), QPointF(tip + back, y - 4));
    p.drawLine(QPointF(tip, y), QPointF(tip + back, y + 4));
}

// The opening mark: dashed lines meeting on the hinge side.
void drawOpeningMark(QPainter &p, const QRectF &r, Kind kind)
{
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1, Qt::DashLine));
    QPointF apex, a, b;
    switch (kind) {
    case Kind::CasementLeft:
    case Kind::DoorLeft:
        apex = QPointF(r.left(), r.center().y());
        a = r.topRight();
        b = r.bottomRight();
        break;
    case Kind::CasementRight:
    case Kind::DoorRight:
        apex = QPointF(r.right(), r.center().y());
        a = r.topLeft();
        b = r.bottomLeft();
        break;
    case Kind::TopHung:
        apex = QPointF(r.center().x(), r.top());
        a = r.bottomLeft();
        b = r.bottomRight();
        break;
    default:
        return;
    }
    p.drawLine(a, apex);
    p.drawLine(b, apex);
}

void drawPane(QPainter &p, const QRectF &opening, Kind kind, double scale)
{
    const QColor frameColor(0xee, 0xee, 0xea);
    const QPen outline(QColor(0x33, 0x33, 0x33), 1.1);
    if (kind == Kind::Fixed) {
        drawGlass(p, opening);
        return;
    }
    const QRectF sash = opening;
    p.setPen(outline);
    p.drawRect(sash);
    const double face = qMax(3.0, kSash * scale);
    QRectF glass = sash.adjusted(face, face, -face, -face);
    const bool door = kind == Kind::DoorLeft || kind == Kind::DoorRight;
    if (door) {
        // A solid lower panel and the handle on the lock side.
        QRectF panel = glass;
        panel.setTop(glass.bottom() - glass.height() * 0.35);
        glass.setBottom(panel.top() - face);
        p.fillRect(panel, QColor(0xc9, 0xc3, 0xb8));
        p.setPen(outline);
        p.drawRect(panel);
    }
    drawGlass(p, glass);
    p.setPen(outline);
    p.drawRect(glass);
    if (kind == Kind::SlideLeft || kind == Kind::SlideRight) {
        drawArrow(p, glass, kind == Kind::SlideLeft);
    } else {
        drawOpeningMark(p, glass, kind);
    }
    if (door) {
        const double x = kind == Kind::DoorLeft ? sash.right() - face * 0.8 : sash.left() + face * 0.4;
        p.fillRect(QRectF(x, sash.center().y(), face * 0.4, face * 2), QColor(0x55, 0x55, 0x55));
    }
}

void drawDimension(QPainter &p, QPointF a, QPointF b, const QString &text, bool vertical)
{
    p.setPen(QPen(QColor(0x80, 0x30, 0x30), 1));
    p.drawLine(a, b);
    const QPointF tick(3, 3);
    p.drawLine(a - tick, a + tick);
    p.drawLine(b - tick, b + tick);
    const QPointF mid = (a + b) / 2;
    p.save();
    p.translate(mid);
    if (vertical)
        p.rotate(-90);
    p.drawText(QRectF(-40, -15, 80, 13), Qt::AlignCenter, text);
    p.restore();
}

struct ProfileCodes {
    const char *frame;
    const char *mullion;
    const char *sash;
    const char *bead;
};

ProfileCodes codesFor(const QString &series)
{
    if (series == kSlidingSeries)
        return {"TL901", "TL905", "TL903", "TL906"};
    if (series == kDoorSeries)
        return {"MK701", "MK702", "MK703", "MK705"};
    return {"KF601", "KF602", "KF603", "KF605"};
}

struct Piece {
    QString code;
    QString name;
    int length;
    int count;
    QString angle;
};

QVector<Piece> cuttingPieces(const DemoTemplate &t)
{
    const ProfileCodes codes = codesFor(t.series);
    auto code = [](const char *c) { return QString::fromLatin1(c); };
    const QString mitre = QStringLiteral("45°"), square = QStringLiteral("90°");
    QVector<Piece> pieces = {
        {code(codes.frame), QStringLiteral("上下框"), t.width, 2, mitre},
        {code(codes.frame), QStringLiteral("左右边框"), t.height, 2, mitre},
    };
    const int lowerHeight = t.height - t.topHeight;
    if (t.topHeight > 0)
        pieces.append({code(codes.mullion), QStringLiteral("横梃"), t.width - 2 * kFrame, 1, square});
    if (mullionCount(t.panes) > 0)
        pieces.append({code(codes.mullion), QStringLiteral("竖梃"),
            lowerHeight - kFrame - (t.topHeight > 0 ? kMullion / 2 : kFrame), mullionCount(t.panes), square});
    if (mullionCount(t.topPanes) > 0)
        pieces.append({code(codes.mullion), QStringLiteral("上亮竖梃"), t.topHeight - kFrame - kMullion / 2,
            mullionCount(t.topPanes), square});
    for (const auto &[rect, kind] : openings(t)) {
        const int w = qRound(rect.width()), h = qRound(rect.height());
        if (kind == Kind::Fixed) {
            pieces.append({code(codes.bead), QStringLiteral("压线(横)"), w, 2, mitre});
            pieces.append({code(codes.bead), QStringLiteral("压线(竖)"), h, 2, mitre});
            continue;
        }
        pieces.append({code(codes.sash), QStringLiteral("扇框(横)"), w + 16, 2, mitre});
        pieces.append({code(codes.sash), QStringLiteral("扇框(竖)"), h + 16, 2, mitre});
    }
    return pieces;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法读取文件 %1: %2").arg(path, file.errorString()));
    return file.readAll();
}

} // namespace

QVector<DemoTemplate> demoTemplates()
{
    QVector<DemoTemplate> result;
    const QString casementMaterial = QStringLiteral("60系列断桥铝型材, 5+12A+5中空玻璃");
    // Casement windows: five layouts in five sizes, some with a top light.
    const QVector<QVector<Kind>> casementLayouts = {
        {Kind::CasementLeft},
        {Kind::Fixed, Kind::CasementRight},
        {Kind::CasementLeft, Kind::CasementRight},
        {Kind::CasementLeft, Kind::Fixed, Kind::CasementRight},
        {Kind::TopHung, Kind::Fixed},
    };
    const int casementWidths[] = {600, 900, 1200, 1500, 1800};
    int seq = 0;
    for (int size = 0; size < 5; ++size) {
        for (int l = 0; l < casementLayouts.size(); ++l) {
            const int width = casementWidths[size] + 300 * (int(casementLayouts[l].size()) - 1);
            const int height = 1200 + 300 * ((size + l) % 3);
            const int top = (size + l) % 2 == 1 ? 450 : 0;
            result.append(makeTemplate(kCasementSeries, QStringLiteral("C"), ++seq, width, height, casementLayouts[l],
                top, l == 4 ? QVector<Kind> {Kind::TopHung} : QVector<Kind> {Kind::Fixed}, casementMaterial));
        }
    }
    // Sliding windows: two to four sashes, widths 1200 to 3600, some with a
    // fixed top light; 65 templates.
    const QString slidingMaterial = QStringLiteral("90系列推拉铝型材, 5mm白玻");
    seq = 0;
    for (int width = 1200; width <= 3600 && result.size() < 90; width += 300) {
        for (int height : {1200, 1500, 1800, 2100}) {
            for (int panes = 2; panes <= 4 && result.size() < 90; ++panes) {
                if (width / panes < 550)
                    continue;
                QVector<Kind> kinds;
                for (int i = 0; i < panes; ++i)
                    kinds.append(i % 2 == 0 ? Kind::SlideRight : Kind::SlideLeft);
                const int top = height >= 1800 ? 500 : 0;
                result.append(makeTemplate(kSlidingSeries, QStringLiteral("TC"), ++seq, width, height, kinds, top,
                    {Kind::Fixed}, slidingMaterial));
            }
        }
    }
    // Doors.
    const QString doorMaterial = QStringLiteral("70系列断桥铝平开门, 钢化中空玻璃");
    struct Door {
        int width, height, top;
        QVector<Kind> kinds;
    };
    const Door doors[] = {
        {900, 2100, 0, {Kind::DoorLeft}},
        {1000, 2400, 400, {Kind::DoorRight}},
        {1500, 2100, 0, {Kind::DoorLeft, Kind::DoorRight}},
        {1500, 2400, 400, {Kind::Fixed, Kind::DoorLeft}},
        {1800, 2400, 400, {Kind::DoorLeft, Kind::DoorRight}},
        {2400, 2700, 500, {Kind::Fixed, Kind::DoorLeft, Kind::DoorRight, Kind::Fixed}},
    };
    seq = 0;
    for (const Door &d : doors)
        result.append(makeTemplate(
            kDoorSeries, QStringLiteral("M"), ++seq, d.width, d.height, d.kinds, d.top, {Kind::Fixed}, doorMaterial));
    return result;
}

QByteArray demoElevation(const DemoTemplate &t)
{
    QImage image(500, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(11);
    p.setFont(font);

    // The window with its dimension lines (50 px right and below) centred.
    constexpr double dimensions = 50;
    const double scale = qMin(
        (image.width() - 60 - dimensions) / double(t.width), (image.height() - 40 - dimensions) / double(t.height));
    const QPointF origin(
        (image.width() - t.width * scale - dimensions) / 2, (image.height() - t.height * scale - dimensions) / 2);
    auto toPx = [&](const QRectF &mm) { return QRectF(origin + mm.topLeft() * scale, mm.size() * scale); };
    const QRectF outer = toPx(QRectF(0, 0, t.width, t.height));
    p.fillRect(outer, QColor(0xee, 0xee, 0xea));
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1.4));
    p.drawRect(outer);
    for (const auto &[rect, kind] : openings(t))
        drawPane(p, toPx(rect), kind, scale);

    // Overall width and height, and the division of each.
    const double below = outer.bottom() + 42, right = outer.right() + 42;
    drawDimension(p, QPointF(outer.left(), below), QPointF(outer.right(), below), QString::number(t.width), false);
    if (t.panes.size() > 1) {
        double x = 0;
        for (const DemoPane &pane : t.panes) {
            drawDimension(p, QPointF(origin.x() + x * scale, below - 20),
                QPointF(origin.x() + (x + pane.width) * scale, below - 20), QString::number(pane.width), false);
            x += pane.width;
        }
    }
    drawDimension(p, QPointF(right, outer.top()), QPointF(right, outer.bottom()), QString::number(t.height), true);
    if (t.topHeight > 0) {
        const double split = origin.y() + t.topHeight * scale;
        drawDimension(
            p, QPointF(right - 20, outer.top()), QPointF(right - 20, split), QString::number(t.topHeight), true);
        drawDimension(p, QPointF(right - 20, split), QPointF(right - 20, outer.bottom()),
            QString::number(t.height - t.topHeight), true);
    }
    p.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray demoCuttingList(const DemoTemplate &t)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.xlsx"));
    std::unique_ptr<lxw_workbook, void (*)(lxw_workbook *)> book(
        folder.isValid() ? workbook_new(QFile::encodeName(path).constData()) : nullptr, lxw_workbook_free);
    SheetWriter sheet(book ? workbook_add_worksheet(book.get(), "下料单") : nullptr);
    lxw_format *bold = book ? workbook_add_format(book.get()) : nullptr;
    if (!sheet.sheet() || !bold)
        throw Error(QStringLiteral("无法创建下料单工作簿"));
    format_set_bold(bold);
    check(worksheet_set_column(sheet.sheet(), 0, 0, 6, nullptr));
    check(worksheet_set_column(sheet.sheet(), 1, 2, 12, nullptr));
    check(worksheet_set_column(sheet.sheet(), 3, 5, 10, nullptr));
    sheet.text(0, 0, QStringLiteral("下料单 ") + t.name, bold);
    sheet.text(1, 0, QStringLiteral("门窗系列: %1  尺寸: %2×%3").arg(t.series).arg(t.width).arg(t.height), nullptr);
    const QStringList headers = {QStringLiteral("序号"), QStringLiteral("代号"), QStringLiteral("名称"),
        QStringLiteral("长度(mm)"), QStringLiteral("数量"), QStringLiteral("切角")};
    for (int c = 0; c < headers.size(); ++c)
        sheet.text(3, c, headers[c], bold);
    int row = 4;
    for (const Piece &piece : cuttingPieces(t)) {
        sheet.number(row, 0, row - 3, nullptr);
        sheet.text(row, 1, piece.code, nullptr);
        sheet.text(row, 2, piece.name, nullptr);
        sheet.number(row, 3, piece.length, nullptr);
        sheet.number(row, 4, piece.count, nullptr);
        sheet.text(row, 5, piece.angle, nullptr);
        ++row;
    }
    const lxw_error result = workbook_close(book.release());
    if (result != LXW_NO_ERROR)
        throw Error(QStringLiteral("无法写入下料单工作簿: ") + QString::fromUtf8(lxw_strerror(result)));
    return fileBytes(path);
}

int fillDemoLibrary(QSqlDatabase db)
{
    const QVector<DemoTemplate> templates = demoTemplates();
    inTransaction(db, [&] {
        if (sqlScalar(QStringLiteral("SELECT COUNT(*) FROM data"), {}, db).toInt() > 0)
            throw Error(QStringLiteral("图库中已有记录; 示例图库只填入空的图库"));
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO data (mc, xl, bmp, xls, bz) VALUES (?, ?, ?, ?, ?)"));
        for (const DemoTemplate &t : templates) {
            insert.addBindValue(t.series);
            insert.addBindValue(t.name);
            insert.addBindValue(demoElevation(t));
            insert.addBindValue(demoCuttingList(t));
            insert.addBindValue(t.description);
            if (!insert.exec())
                throw Error(sqliteFailureText(insert.lastError(), db));
        }
        auto fill = [&](const QString &table, const QStringList &entries) {
            if (sqlScalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table), {}, db).toInt() > 0)
                return;
            for (const QString &entry : entries)
                sqlExec(QStringLiteral("INSERT INTO %1 (%1) VALUES (?)").arg(table), {entry}, db);
        };
        fill(QStringLiteral("xmName"),
            {QStringLiteral("外框"), QStringLiteral("中梃"), QStringLiteral("扇框"), QStringLiteral("压线"),
                QStringLiteral("玻璃"), QStringLiteral("五金配件")});
        fill(QStringLiteral("xcys"),
            {QStringLiteral("白色"), QStringLiteral("香槟色"), QStringLiteral("深咖啡色"), QStringLiteral("银灰色"),
                QStringLiteral("木纹色")});
    });
    return int(templates.size());
}

} // namespace tarvex
