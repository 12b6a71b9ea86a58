// Renders the program's artwork (an SVG picture) to a square PNG of the given size, for the
// icon theme, with the renderer the program itself draws its pictures with.
//   render_icon <picture.svg> <size> <out.png>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    // No display is needed to paint into an image.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: render_icon <picture.svg> <size> <out.png>\n");
        return 2;
    }
    QSvgRenderer picture{QString::fromLocal8Bit(argv[1])};
    bool number = false;
    const int size = QString(argv[2]).toInt(&number);
    if (!picture.isValid() || !number || size <= 0) {
        std::fprintf(stderr, "render_icon: cannot render %s at %s pixels\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "render_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
