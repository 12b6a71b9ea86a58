#include "ui/program_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyleOption>
#include <QWidget>

namespace {
// Two arrow heads side by side, pointing the way the menu runs on, in the colour of a
// button's text (grey when the button is disabled).
class OverflowArrows : public QIconEngine {
  public:
    explicit OverflowArrows(bool rightToLeft) : rightToLeft_(rightToLeft) {}

    void paint(QPainter* painter, const QRect& box, QIcon::Mode mode, QIcon::State) override {
        const QPalette palette = QGuiApplication::palette();
        const QColor colour = palette.color(
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText);
        // Arrows of half the box's height, side by side, in the middle of the box.
        const qreal height = box.height() / 2.0;
        const qreal width = height / 2.0;
        const QPointF centre = QRectF(box).center();
        const qreal left = centre.x() - width;
        QPainterPath path;
        for (const qreal x : {left, left + width}) {
            const qreal tip = rightToLeft_ ? x : x + width;
            const qreal tail = rightToLeft_ ? x + width : x;
            path.moveTo(tail, centre.y() - height / 2);
            path.lineTo(tip, centre.y());
            path.lineTo(tail, centre.y() + height / 2);
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(colour, qMax(1.0, box.height() / 10.0)));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(path);
        painter->restore();
    }

    QIconEngine* clone() const override { return new OverflowArrows(rightToLeft_); }
    QString key() const override { return QStringLiteral("OverflowArrows"); }

  private:
    bool rightToLeft_;
};
}  // namespace

ProgramStyle::ProgramStyle(QStyle* base) : QProxyStyle(base) {}

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton) {
        const Qt::LayoutDirection direction =
            option ? option->direction
                   : (widget ? widget->layoutDirection() : QGuiApplication::layoutDirection());
        return QIcon(new OverflowArrows(direction == Qt::RightToLeft));
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

void useProgramStyle() {
    QApplication::setStyle(new ProgramStyle(QApplication::style()));
}
