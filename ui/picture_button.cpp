#include "ui/picture_button.h"

// The pictures are compiled into the same static library; a library's resources must be
// registered by hand before their first use.
static void registerPictures() {
    Q_INIT_RESOURCE(resources);
}

QIcon namedPicture(const QString& name) {
    static const bool registered = (registerPictures(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/pictures/%1.svg").arg(name));
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
