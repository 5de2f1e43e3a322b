#include "ui/tree_printer.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QIcon>
#include <QPainter>
#include <QPrinter>
#include <QTreeView>
#include <vector>

namespace ui {
namespace {

struct Row {
    QModelIndex index;
    int depth;
};

// The rows a user sees, in order: children of collapsed items are left out.
void CollectRows(const QTreeView& view, const QModelIndex& parent, int depth,
                 std::vector<Row>& rows) {
    const QAbstractItemModel* model = view.model();
    const int count = model->rowCount(parent);
    for (int r = 0; r < count; ++r) {
        QModelIndex index = model->index(r, 0, parent);
        rows.push_back({index, depth});
        if (view.isExpanded(index)) CollectRows(view, index, depth + 1, rows);
    }
}

}  // namespace

int TreePrinter::Print(QPrinter& printer) const {
    if (!view_.model()) return 0;
    std::vector<Row> rows;
    CollectRows(view_, view_.rootIndex(), 0, rows);

    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    // Everything is measured in the printer's own pixels: fonts in points
    // already are, so the lengths below are points turned into pixels too.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double perPoint = printer.resolution() / 72.0;
    const double width = page.width();
    const double height = page.height();

    QFont body = view_.font();
    body.setPointSizeF(10);
    QFont heading = body;
    heading.setBold(true);
    heading.setPointSizeF(12);
    const double line = QFontMetricsF(body, &printer).height() * 1.25;
    const double indent = 14 * perPoint;
    const int iconSize = static_cast<int>(12 * perPoint);
    const double iconRoom = 17 * perPoint;
    const double top = QFontMetricsF(heading, &printer).height() * 2;
    const double bottom = height - line * 1.5;
    const QString title = QStringLiteral("Internet Ambit catalog, printed %1")
                              .arg(QDate::currentDate().toString(Qt::ISODate));

    int pageNumber = 0;
    double y = bottom;  // forces the first page's heading
    for (size_t i = 0; i <= rows.size(); ++i) {
        if (y + line > bottom || i == rows.size()) {
            if (pageNumber > 0) {
                painter.setFont(body);
                painter.drawText(QRectF(0, bottom, width, line * 1.5), Qt::AlignCenter,
                                 QStringLiteral("Page %1").arg(pageNumber));
            }
            if (i == rows.size()) break;
            if (pageNumber > 0 && !printer.newPage()) return 0;
            ++pageNumber;
            painter.setFont(heading);
            painter.drawText(QRectF(0, 0, width, top), Qt::AlignLeft | Qt::AlignTop, title);
            y = top;
        }
        const Row& row = rows[i];
        const double x = row.depth * indent;
        QIcon icon = qvariant_cast<QIcon>(row.index.data(Qt::DecorationRole));
        if (!icon.isNull())
            icon.paint(&painter, QRect(int(x), int(y + (line - iconSize) / 2), iconSize, iconSize));
        painter.setFont(body);
        painter.drawText(QRectF(x + iconRoom, y, width - x - iconRoom, line),
                         Qt::AlignLeft | Qt::AlignVCenter, row.index.data().toString());
        y += line;
    }
    painter.end();
    return pageNumber;
}

}  // namespace ui
