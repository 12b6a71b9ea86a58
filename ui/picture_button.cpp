#include "ui/picture_button.h"

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
