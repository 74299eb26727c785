// ZelvoIconRender SVG OUTPUT SIZE: draws the program's SVG icon into a SIZE×SIZE PNG. Used
// at build time, so the PNG icons always match the SVG; it is not installed.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: ZelvoIconRender SVG OUTPUT SIZE\n", stderr);
        return 2;
    }
    const QString svg = QFile::decodeName(argv[1]);
    const QString output = QFile::decodeName(argv[2]);
    bool number = false;
    const int size = QString::fromLatin1(argv[3]).toInt(&number);
    if (!number || size < 1 || size > 4096) {
        std::fprintf(stderr, "ZelvoIconRender: bad size \"%s\"\n", argv[3]);
        return 2;
    }
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "ZelvoIconRender: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(output, "PNG")) {
        std::fprintf(stderr, "ZelvoIconRender: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
