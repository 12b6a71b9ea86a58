#include "ui/picture_button.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QResource>
#include <cstring>

// The pictures are compiled into a static library; a library's resources must be
// registered by hand before their first use.
static void registerPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace {
// A picture as the program's build rendered it (resources/render_picture.cpp): width and
// height, then premultiplied ARGB pixels. Null when the data is not that.
QPixmap pixelsPicture(const QString& path) {
    const QByteArray data = QResource(path).uncompressedData();
    quint32 size[2] = {0, 0};
    if (data.size() < qsizetype(sizeof size)) return {};
    std::memcpy(size, data.constData(), sizeof size);
    if (size[0] == 0 || size[1] == 0 || size[0] > 1024 || size[1] > 1024 ||
        data.size() != qsizetype(sizeof size + size[0] * size[1] * 4))
        return {};
    const QImage image(reinterpret_cast<const uchar*>(data.constData()) + sizeof size, int(size[0]),
                       int(size[1]), int(size[0] * 4), QImage::Format_ARGB32_Premultiplied);
    // The image only points into `data`, which goes: the pixmap gets a copy.
    return QPixmap::fromImage(image.copy());
}
}  // namespace

QIcon namedPicture(const QString& name) {
    static const bool registered = (registerPictures(), true);
    (void)registered;
    // Each size the windows show it at; the icon scales the nearest larger one to any other.
    QIcon picture;
    const QDir folder(QStringLiteral(":/pictures/") + name);
    for (const QString& file : folder.entryList(QDir::Files)) {
        const QPixmap pixels = pixelsPicture(folder.filePath(file));
        if (!pixels.isNull()) picture.addPixmap(pixels);
    }
    return picture;
}

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setIconSize(QSize(56, 56));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void PictureButton::setPicture(const QIcon& picture) {
    setIcon(picture);
}

void PictureList::add(const QString& name, const QIcon& picture) {
    names_ << name;
    pictures_.push_back(picture);
}
