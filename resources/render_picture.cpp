// Renders one of the program's pictures (an SVG drawing) to image files, each as large as
// fits a square box of the given size (a picture that is not square keeps its shape).
// A file named *.png is a PNG, for the icon theme of the installed package. Any other is a
// picture the program shows, in the form its windows take without decoding: the width and
// the height (32 bits each), then the pixels, premultiplied ARGB, 32 bits each, row by row,
// all in the byte order of the machine that builds (and runs) the program.
//   render_picture <picture.svg> <size> <out> [<size> <out>]...
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {
bool savePixels(const QImage& image, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const quint32 size[2] = {quint32(image.width()), quint32(image.height())};
    bool written = file.write(reinterpret_cast<const char*>(size), sizeof size) == sizeof size;
    const qint64 row = qint64(image.width()) * 4;
    for (int y = 0; written && y < image.height(); ++y)
        written = file.write(reinterpret_cast<const char*>(image.constScanLine(y)), row) == row;
    return written && file.flush();
}

bool render(QSvgRenderer& picture, const char* sizeText, const char* path) {
    bool number = false;
    const int box = QString(sizeText).toInt(&number);
    if (!number || box <= 0) return false;
    const QSize size = picture.defaultSize().scaled(box, box, Qt::KeepAspectRatio);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.render(&painter);
    painter.end();
    const QString name = QString::fromLocal8Bit(path);
    if (name.endsWith(".png")) return image.save(name, "PNG");
    return savePixels(image, name);
}
}  // namespace

int main(int argc, char** argv) {
    // No display is needed to paint into an image.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr,
                     "usage: render_picture <picture.svg> <size> <out> [<size> <out>]...\n");
        return 2;
    }
    QSvgRenderer picture{QString::fromLocal8Bit(argv[1])};
    if (!picture.isValid() || picture.defaultSize().isEmpty()) {
        std::fprintf(stderr, "render_picture: %s is no picture\n", argv[1]);
        return 1;
    }
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!render(picture, argv[i], argv[i + 1])) {
            std::fprintf(stderr, "render_picture: cannot render %s at %s pixels to %s\n", argv[1],
                         argv[i], argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
