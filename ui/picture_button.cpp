#include "ui/picture_button.h"

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
    const QResource resource(path);
    // Stored uncompressed in the program: the data stay where they are for the whole run.
    if (resource.compressionAlgorithm() != QResource::NoCompression) return {};
    const uchar* data = resource.data();
    const qint64 length = resource.size();
    quint32 size[2] = {0, 0};
    if (!data || length < qint64(sizeof size)) return {};
    std::memcpy(size, data, sizeof size);
    if (size[0] == 0 || size[1] == 0 || size[0] > 1024 || size[1] > 1024 ||
        length != qint64(sizeof size + size[0] * size[1] * 4))
        return {};
    // The pixmap takes the pixels where they lie; a change to it would copy them first.
    return QPixmap::fromImage(QImage(data + sizeof size, int(size[0]), int(size[1]),
                                     int(size[0] * 4), QImage::Format_ARGB32_Premultiplied));
}
// A folder of the resources, whose entries QResource tells without QDir's sorting and
// filtering.
class ResourceFolder : public QResource {
  public:
    using QResource::children;
    using QResource::QResource;
};
}  // namespace

QIcon namedPicture(const QString& name) {
    static const bool registered = (registerPictures(), true);
    (void)registered;
    // Each size the windows show it at; the icon scales the nearest larger one to any other.
    QIcon picture;
    const QString folder = QStringLiteral(":/pictures/") + name + u'/';
    for (const QString& file : ResourceFolder(folder).children()) {
        const QPixmap pixels = pixelsPicture(folder + file);
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
