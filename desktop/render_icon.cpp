// Renders the application icon: PNGs of the sizes a hicolor theme wants and
// the scalable SVG, both from one list of shapes so they cannot drift apart.
// Run at build time; usage: render_icon OUTDIR ICON-NAME SIZE...
#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextStream>
#include <cstdio>
#include <vector>

namespace {

// One filled shape in a 48x48 design grid: a rounded rectangle when
// `points` is empty, else a polygon.
struct Shape {
    const char* fill;
    double x, y, w, h, radius;
    std::vector<QPointF> points;
};

const std::vector<Shape>& Shapes() {
    static const std::vector<Shape> shapes = {
        {"#2d6db5", 2, 2, 44, 44, 9, {}},  // tile
        {"#e0b43a", 0, 0, 0, 0, 0, {{9, 13}, {19, 13}, {22, 16}, {39, 16}, {39, 22}, {9, 22}}},
        {"#f6d56b", 9, 19, 30, 19, 2, {}},                               // folder
        {"#2d6db5", 21.5, 21, 5, 9, 0, {}},                              // arrow shaft
        {"#2d6db5", 0, 0, 0, 0, 0, {{16, 28.5}, {32, 28.5}, {24, 36}}},  // arrow head
    };
    return shapes;
}

QImage Render(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    p.setPen(Qt::NoPen);
    for (const Shape& s : Shapes()) {
        p.setBrush(QColor(QString::fromLatin1(s.fill)));
        if (s.points.empty())
            p.drawRoundedRect(QRectF(s.x, s.y, s.w, s.h), s.radius, s.radius);
        else
            p.drawPolygon(QPolygonF(QList<QPointF>(s.points.begin(), s.points.end())));
    }
    return image;
}

QString Svg() {
    QString out;
    QTextStream svg(&out);
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\" "
           "viewBox=\"0 0 48 48\">\n";
    for (const Shape& s : Shapes()) {
        if (s.points.empty()) {
            svg << "  <rect x=\"" << s.x << "\" y=\"" << s.y << "\" width=\"" << s.w
                << "\" height=\"" << s.h << "\" rx=\"" << s.radius << "\" fill=\"" << s.fill
                << "\"/>\n";
        } else {
            svg << "  <polygon points=\"";
            for (const QPointF& pt : s.points) svg << pt.x() << ',' << pt.y() << ' ';
            svg << "\" fill=\"" << s.fill << "\"/>\n";
        }
    }
    svg << "</svg>\n";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: render_icon OUTDIR ICON-NAME SIZE...\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString path = QStringLiteral("%1/%2.png").arg(dir).arg(size);
        if (size <= 0 || !Render(size).save(path)) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    QFile svg(QStringLiteral("%1/%2.svg").arg(dir, name));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(Svg().toUtf8()) < 0) {
        std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    return 0;
}
