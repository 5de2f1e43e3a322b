// Each picture is a small drawing routine in a 16 x 16 grid; the icon holds
// it rendered at 16, 24, 32 and 48 pixels so toolbars and trees on dense
// screens get a sharp copy instead of a blown-up one.
#include "ui/tool_images.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>
#include <functional>
#include <initializer_list>

#include "catalog/tree_item.h"
#include "ui/command_table.h"

namespace ui {
namespace {

using Drawing = std::function<void(QPainter&)>;

const QColor kFolderFill(0xf2, 0xc4, 0x4a);
const QColor kFolderEdge(0x9a, 0x6e, 0x10);
const QColor kInk(0x30, 0x30, 0x38);
const QColor kBlue(0x2a, 0x5d, 0xb0);
const QColor kGreen(0x2e, 0x8b, 0x3a);
const QColor kRed(0xc8, 0x2a, 0x2a);

QPixmap Render(const Drawing& draw, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    return pm;
}

QIcon MakeIcon(const Drawing& draw) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(Render(draw, size));
    return icon;
}

void Pen(QPainter& p, const QColor& c, double width = 1.0) {
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// A closed outline through `points`, drawn with the current pen and brush.
void Polygon(QPainter& p, std::initializer_list<QPointF> points) {
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
}

// Site directories share the folder's shape in their own colour, so a
// directory on a server never passes for a catalog folder.
const QColor kSiteDirFill(0x8e, 0xb4, 0xe3);
const QColor kSiteDirEdge(0x2f, 0x55, 0x8a);

void ClosedFolderIn(QPainter& p, const QColor& kFolderFill, const QColor& kFolderEdge) {
    Pen(p, kFolderEdge, 0.8);
    p.setBrush(kFolderFill.darker(110));
    Polygon(p, {{1.5, 4}, {1.5, 2.5}, {6, 2.5}, {7.5, 4}});
    QLinearGradient g(0, 4, 0, 14);
    g.setColorAt(0, kFolderFill.lighter(115));
    g.setColorAt(1, kFolderFill);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1.5, 4, 13, 9.5), 1, 1);
}

void OpenFolderIn(QPainter& p, const QColor& kFolderFill, const QColor& kFolderEdge) {
    Pen(p, kFolderEdge, 0.8);
    p.setBrush(kFolderFill.darker(120));
    p.drawRoundedRect(QRectF(1.5, 2.5, 12, 11), 1, 1);
    p.setBrush(Qt::white);
    Pen(p, QColor(0x99, 0x99, 0x99), 0.6);
    p.drawRect(QRectF(3.5, 4, 8, 6));
    Pen(p, kFolderEdge, 0.8);
    QLinearGradient g(0, 7, 0, 14);
    g.setColorAt(0, kFolderFill.lighter(120));
    g.setColorAt(1, kFolderFill);
    p.setBrush(g);
    Polygon(p, {{1.5, 13.5}, {4, 7}, {15, 7}, {12.5, 13.5}});
}

void ClosedFolder(QPainter& p) { ClosedFolderIn(p, kFolderFill, kFolderEdge); }
void OpenFolder(QPainter& p) { OpenFolderIn(p, kFolderFill, kFolderEdge); }

// A server tower; its light is green while the site is open.
void FtpSite(QPainter& p, bool open) {
    Pen(p, QColor(0x30, 0x34, 0x3c), 0.8);
    QLinearGradient g(3, 0, 13, 0);
    g.setColorAt(0, QColor(0xe4, 0xe7, 0xec));
    g.setColorAt(1, QColor(0xa9, 0xb0, 0xbb));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(3.5, 1, 9, 14), 1.2, 1.2);
    Pen(p, QColor(0x50, 0x56, 0x60), 0.7);
    for (double y : {4.0, 6.5, 9.0}) p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
    p.setPen(Qt::NoPen);
    p.setBrush(open ? kGreen : QColor(0x70, 0x70, 0x70));
    p.drawEllipse(QPointF(8, 12.3), 1.1, 1.1);
}

// A map folded in three panels with a pin.
void MapFile(QPainter& p) {
    Pen(p, QColor(0x4a, 0x5a, 0x3a), 0.7);
    const QColor panels[] = {QColor(0xd9, 0xe8, 0xc0), QColor(0xbf, 0xd8, 0x9c),
                             QColor(0xd9, 0xe8, 0xc0)};
    for (int i = 0; i < 3; ++i) {
        const double x = 1 + i * 4.6;
        p.setBrush(panels[i]);
        // Neighbouring panels share an edge, so the folds zigzag.
        Polygon(p, {{x, i % 2 ? 3.2 : 2.0},
                    {x + 4.6, i % 2 ? 2.0 : 3.2},
                    {x + 4.6, i % 2 ? 15.0 : 14.0},
                    {x, i % 2 ? 14.0 : 15.0}});
    }
    Pen(p, kBlue, 0.9);
    p.drawLine(QPointF(3, 11), QPointF(7, 8));
    p.drawLine(QPointF(7, 8), QPointF(11, 10));
    Pen(p, kRed.darker(130), 0.6);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(11.5, 6), 1.8, 1.8);
}

void Page(QPainter& p, bool lines) {
    Pen(p, QColor(0x60, 0x60, 0x68), 0.8);
    p.setBrush(Qt::white);
    Polygon(p, {{3, 1.5}, {10, 1.5}, {13, 4.5}, {13, 14.5}, {3, 14.5}});
    p.setBrush(QColor(0xdd, 0xdd, 0xe4));
    Polygon(p, {{10, 1.5}, {10, 4.5}, {13, 4.5}});
    if (lines) {
        Pen(p, kBlue.lighter(130), 0.8);
        for (double y : {6.5, 8.5, 10.5, 12.5}) p.drawLine(QPointF(5, y), QPointF(11, y));
    }
}

void Globe(QPainter& p, const QRectF& r) {
    QRadialGradient g(r.center() - QPointF(r.width() / 5, r.height() / 5), r.width() * 0.7);
    g.setColorAt(0, QColor(0x9c, 0xd0, 0xff));
    g.setColorAt(1, QColor(0x1d, 0x5f, 0xb8));
    Pen(p, QColor(0x12, 0x3c, 0x78), r.width() / 16);
    p.setBrush(g);
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    Pen(p, QColor(255, 255, 255, 170), r.width() / 22);
    p.drawEllipse(QRectF(r.center().x() - r.width() / 5, r.top(), r.width() * 2 / 5, r.height()));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawArc(QRectF(r.left(), r.top() + r.height() * 0.18, r.width(), r.height() * 0.3), 0,
              180 * 16);
    p.drawArc(QRectF(r.left(), r.bottom() - r.height() * 0.48, r.width(), r.height() * 0.3),
              180 * 16, 180 * 16);
}

void Plus(QPainter& p, QPointF c, double half, const QColor& color) {
    Pen(p, color.darker(130), 3.2);
    p.drawLine(c - QPointF(half, 0), c + QPointF(half, 0));
    p.drawLine(c - QPointF(0, half), c + QPointF(0, half));
    Pen(p, color, 1.8);
    p.drawLine(c - QPointF(half, 0), c + QPointF(half, 0));
    p.drawLine(c - QPointF(0, half), c + QPointF(0, half));
}

void Arrow(QPainter& p, bool down, const QColor& color) {
    // The arrow points down into the tray or up out of it.
    const double tip = down ? 11.5 : 1.5, tail = down ? 1.5 : 11.5;
    Pen(p, color.darker(150), 0.8);
    QLinearGradient g(3, 0, 13, 0);
    g.setColorAt(0, color.lighter(140));
    g.setColorAt(1, color);
    p.setBrush(g);
    Polygon(p, {{6, tail}, {10, tail}, {10, 6.5}, {13, 6.5}, {8, tip}, {3, 6.5}, {6, 6.5}});
    Pen(p, kInk, 1.2);
    p.drawLine(QPointF(2, 14.2), QPointF(14, 14.2));
    p.drawLine(QPointF(2, 12.5), QPointF(2, 14.2));
    p.drawLine(QPointF(14, 12.5), QPointF(14, 14.2));
}

void Floppy(QPainter& p) {
    Pen(p, QColor(0x1b, 0x2a, 0x4a), 0.8);
    p.setBrush(QColor(0x33, 0x4e, 0x86));
    Polygon(p, {{1.5, 1.5}, {13, 1.5}, {14.5, 3}, {14.5, 14.5}, {1.5, 14.5}});
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9, 5.5));
    Pen(p, kBlue.lighter(140), 0.6);
    p.drawLine(QPointF(5, 3.5), QPointF(11, 3.5));
    p.drawLine(QPointF(5, 5.2), QPointF(11, 5.2));
    Pen(p, QColor(0x70, 0x70, 0x78), 0.6);
    p.setBrush(QColor(0xc8, 0xcc, 0xd4));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
    p.setBrush(QColor(0x33, 0x4e, 0x86));
    p.drawRect(QRectF(9, 10.5, 1.5, 3));
}

void Pencil(QPainter& p) {
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    Pen(p, QColor(0x6a, 0x4a, 0x10), 0.7);
    p.setBrush(QColor(0xf5, 0xb8, 0x2e));
    p.drawRect(QRectF(-5, -1.7, 9, 3.4));
    p.setBrush(QColor(0xe8, 0x8c, 0x9c));
    p.drawRect(QRectF(4, -1.7, 2, 3.4));
    p.setBrush(QColor(0xf1, 0xdc, 0xb0));
    Polygon(p, {{-5, -1.7}, {-8, 0}, {-5, 1.7}});
    p.restore();
}

void Hourglass(QPainter& p) {
    Pen(p, QColor(0x55, 0x3a, 0x10), 1.0);
    p.setBrush(QColor(0x8a, 0x5a, 0x20));
    p.drawRect(QRectF(3, 1, 10, 1.6));
    p.drawRect(QRectF(3, 13.4, 10, 1.6));
    Pen(p, QColor(0x50, 0x60, 0x70), 0.7);
    p.setBrush(QColor(0xe6, 0xf2, 0xff));
    Polygon(p, {{4, 2.6}, {12, 2.6}, {8.6, 8}, {12, 13.4}, {4, 13.4}, {7.4, 8}});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0xb0, 0x40));
    Polygon(p, {{5.5, 4.2}, {10.5, 4.2}, {8, 7.6}});
    Polygon(p, {{8, 10}, {11, 13.2}, {5, 13.2}});
}

void MapServer(QPainter& p) {
    Globe(p, QRectF(0.8, 0.8, 11.5, 11.5));
    Pen(p, QColor(0x30, 0x30, 0x30), 0.7);
    p.setBrush(QColor(0xd8, 0xdc, 0xe2));
    p.drawRect(QRectF(9, 8.5, 6.2, 6.8));
    Pen(p, QColor(0x50, 0x50, 0x50), 0.6);
    p.drawLine(QPointF(10, 10.5), QPointF(14.2, 10.5));
    p.drawLine(QPointF(10, 12.5), QPointF(14.2, 12.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(10.6, 14.1), 0.6, 0.6);
}

Drawing ToolDrawing(ToolImage image) {
    switch (image) {
        case ToolImage::Save:
            return Floppy;
        case ToolImage::NewFolder:
            return [](QPainter& p) {
                ClosedFolder(p);
                Plus(p, QPointF(11.5, 4.5), 3, kGreen);
            };
        case ToolImage::Add:
            return [](QPainter& p) {
                Page(p, true);
                Plus(p, QPointF(11.5, 11.5), 3.2, kGreen);
            };
        case ToolImage::Delete:
            return [](QPainter& p) {
                Pen(p, kRed.darker(140), 4.2);
                p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
                p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
                Pen(p, kRed, 2.6);
                p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
                p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
            };
        case ToolImage::Edit:
            return [](QPainter& p) {
                Page(p, true);
                Pencil(p);
            };
        case ToolImage::Properties:
            return [](QPainter& p) {
                Page(p, false);
                QRadialGradient g(QPointF(9, 9), 6);
                g.setColorAt(0, kBlue.lighter(150));
                g.setColorAt(1, kBlue);
                Pen(p, kBlue.darker(140), 0.7);
                p.setBrush(g);
                p.drawEllipse(QPointF(10, 10), 5, 5);
                Pen(p, Qt::white, 1.6);
                p.drawLine(QPointF(10, 9.3), QPointF(10, 12.8));
                p.drawPoint(QPointF(10, 7.2));
            };
        case ToolImage::Upload:
            return [](QPainter& p) { Arrow(p, false, kBlue); };
        case ToolImage::Download:
            return [](QPainter& p) { Arrow(p, true, kGreen); };
        case ToolImage::NewSite:
            return [](QPainter& p) {
                Globe(p, QRectF(0.8, 1.5, 12, 12));
                Plus(p, QPointF(12, 12), 3, kGreen);
            };
        case ToolImage::None:
            break;
    }
    return [](QPainter&) {};
}

// A gold coin on the page's corner: an item that must be bought.
void PricedPage(QPainter& p) {
    Page(p, true);
    Pen(p, QColor(0x8a, 0x5a, 0x00), 0.9);
    p.setBrush(QColor(0xf5, 0xb8, 0x14));
    p.drawEllipse(QPointF(11.2, 11.2), 4.0, 4.0);
    Pen(p, QColor(0x6a, 0x42, 0x00), 1.1);
    p.drawLine(QPointF(11.2, 8.9), QPointF(11.2, 13.5));
    p.drawLine(QPointF(9.9, 10.3), QPointF(12.5, 10.3));
    p.drawLine(QPointF(9.9, 12.1), QPointF(12.5, 12.1));
}

}  // namespace

QIcon PricedItemIcon() { return MakeIcon(PricedPage); }

QIcon ToolIcon(ToolImage image) { return MakeIcon(ToolDrawing(image)); }

QIcon TreeIcon(int index) {
    switch (index) {
        case catalog::kImageFolderClosed:
            return MakeIcon(ClosedFolder);
        case catalog::kImageFolderOpen:
            return MakeIcon(OpenFolder);
        case catalog::kImageItem:
            return MakeIcon([](QPainter& p) { Page(p, true); });
        case catalog::kImageMapServer:
            return MakeIcon(MapServer);
        case catalog::kImageBusy:
            return MakeIcon(Hourglass);
        default:
            return QIcon();
    }
}

QIcon KindIcon(catalog::EntryKind kind, bool open) {
    switch (kind) {
        case catalog::EntryKind::FtpSite:
            return MakeIcon([open](QPainter& p) { FtpSite(p, open); });
        case catalog::EntryKind::FtpDir:
            return MakeIcon([open](QPainter& p) {
                if (open)
                    OpenFolderIn(p, kSiteDirFill, kSiteDirEdge);
                else
                    ClosedFolderIn(p, kSiteDirFill, kSiteDirEdge);
            });
        case catalog::EntryKind::MapFile:
            return MakeIcon(MapFile);
        default:
            return QIcon();
    }
}

QIcon AppIcon() {
    return MakeIcon([](QPainter& p) { Globe(p, QRectF(0.5, 0.5, 15, 15)); });
}

QPixmap SplashPicture() {
    QPixmap pm(440, 260);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient bg(0, 0, 0, 260);
    bg.setColorAt(0, QColor(0x0e, 0x24, 0x4c));
    bg.setColorAt(1, QColor(0x1b, 0x5e, 0x8a));
    p.fillRect(pm.rect(), bg);
    Globe(p, QRectF(28, 60, 140, 140));
    // Dotted routes from the globe to a few "sites".
    p.setPen(QPen(QColor(255, 255, 255, 120), 1.5, Qt::DotLine));
    for (const QPointF& site : {QPointF(200, 52), QPointF(228, 208), QPointF(150, 232)})
        p.drawLine(QPointF(98, 130), site);
    QFont title = p.font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(190, 80, 240, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Internet Ambit"));
    QFont line = p.font();
    line.setPointSize(11);
    line.setBold(false);
    p.setFont(line);
    p.setPen(QColor(0xcf, 0xe4, 0xff));
    p.drawText(QRectF(192, 128, 240, 22), Qt::AlignLeft, QStringLiteral("Version 1.1a"));
    p.drawText(QRectF(192, 150, 240, 22), Qt::AlignLeft,
               QStringLiteral("Files on FTP servers, at hand."));
    p.setPen(QColor(255, 255, 255, 60));
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return pm;
}

QPixmap AboutPicture() {
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    Globe(p, QRectF(4, 4, 56, 56));
    return pm;
}

}  // namespace ui
