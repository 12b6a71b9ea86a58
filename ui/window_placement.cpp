#include "ui/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

WindowPlacement::WindowPlacement(QWidget* window, QSize size, QWidget* anchor, SizeKind kind)
    : QObject(window), window_(window), size_(size), kind_(kind), anchor_(anchor) {
    window_->resize(size_);
    window_->installEventFilter(this);
}

QSize WindowPlacement::frameSize(const QWidget* window) {
    return window->frameGeometry().size() - window->geometry().size();
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    switch (event->type()) {
        case QEvent::Show:
            // A size the user gave the window is kept for the next showing.
            if (!shownBefore_ || frameSize(window_) != knownFrame_) fitToFrame();
            shownBefore_ = true;
            centre();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            // The window manager frames the window just after it is mapped; once its frame is
            // known the inner size shrinks by it, and the user's own resizing is left alone.
            if (kind_ == OuterSize && !frameSettled_ && window_->isVisible() &&
                frameSize(window_) != knownFrame_) {
                fitToFrame();
                centre();
            }
            break;
        default:
            break;
    }
    return false;
}

void WindowPlacement::fitToFrame() {
    knownFrame_ = frameSize(window_);
    if (kind_ == ClientSize) return;
    if (knownFrame_ != QSize(0, 0)) frameSettled_ = true;
    const QSize inner = size_ - knownFrame_;
    if (window_->minimumSize() == window_->maximumSize())
        window_->setFixedSize(inner);
    else
        window_->resize(inner);
}

void WindowPlacement::centre() {
    QRect area;
    if (anchor_ && anchor_->isVisible())
        area = anchor_->frameGeometry();
    else if (QScreen* screen =
                 window_->screen() ? window_->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty()) return;
    QRect frame(QPoint(), window_->size() + knownFrame_);
    frame.moveCenter(area.center());
    window_->move(frame.topLeft());
}
