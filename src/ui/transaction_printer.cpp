#include "ui/transaction_printer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace ui {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

void AddLines(QStringList& lines, const std::string& text) {
    for (const QString& line : Q(text).split(QLatin1Char('\n'))) {
        QString l = line;
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
        lines << l;
    }
}

}  // namespace

PrintedText TransactionPrinter::ForList(const std::vector<purchase::TransferRecord>& records) {
    PrintedText text;
    text.lines << QStringLiteral("Filename\tDate\tPrice\tServer");
    text.ruleAfter = 0;
    for (const purchase::TransferRecord& r : records)
        text.lines << QStringLiteral("%1\t%2\t%3\t%4")
                          .arg(Q(r.fileName), Q(r.date), Q(r.price), Q(r.server));
    return text;
}

PrintedText TransactionPrinter::ForRecord(const purchase::TransferRecord& r) {
    PrintedText text;
    QStringList& lines = text.lines;
    lines << QStringLiteral("File:   %1").arg(Q(r.fileName))
          << QStringLiteral("Price:  %1").arg(Q(r.price))
          << QStringLiteral("Date:   %1").arg(Q(r.date))
          << QStringLiteral("Server: %1").arg(Q(r.server))
          << QStringLiteral("Credit Card Checksum: %1").arg(Q(r.checksum)) << QString()
          << Q(r.userName);
    AddLines(lines, r.userAddress);
    lines << QStringLiteral("Phone: %1").arg(Q(r.userPhone))
          << QStringLiteral("Card holder information:") << Q(r.holderName);
    AddLines(lines, r.holderAddress);
    lines << QStringLiteral("Phone: %1").arg(Q(r.holderPhone));
    return text;
}

int TransactionPrinter::Print(QPrinter& printer, const PrintedText& text) {
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    // Laid out in the printer's own pixels, with metrics for its resolution.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double width = page.width();
    const double height = page.height();
    QFont font = painter.font();
    font.setPointSizeF(10);
    painter.setFont(font);
    const double line = QFontMetricsF(font, &printer).height() * 1.3;
    // Columns of the list (name, date, price, server) start at these x
    // positions; a tab in a line moves to the next one.
    const double columns[] = {0, width * 0.40, width * 0.60, width * 0.75};
    int pages = 1;
    double y = 0;
    for (int i = 0; i < text.lines.size(); ++i) {
        if (y + line > height) {
            if (!printer.newPage()) return 0;
            ++pages;
            y = 0;
        }
        QStringList cells = text.lines[i].split(QLatin1Char('\t'));
        while (cells.size() > 4) cells[3] += QLatin1Char(' ') + cells.takeAt(4);
        for (int c = 0; c < cells.size(); ++c) {
            const double x = columns[c];
            const double right = c + 1 < cells.size() ? columns[c + 1] : width;
            painter.drawText(QRectF(x, y, right - x, line), Qt::AlignLeft | Qt::AlignVCenter,
                             cells[c]);
        }
        y += line;
        if (i == text.ruleAfter) {
            painter.drawLine(QPointF(0, y + line / 4), QPointF(width, y + line / 4));
            y += line / 2;
        }
    }
    return painter.end() ? pages : 0;
}

}  // namespace ui
