#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

class QWidget;

// Gives a top-level window its size when it is first shown and centres it over `anchor`
// (nullptr: the screen) each time it is shown. An outer size counts the frame and title bar as the
// window manager draws them; the frame is only known once the window manager has framed the window,
// so the size is corrected then. A window without a frame (offscreen, no window manager) gets the
// outer size as it is.
class WindowPlacement : public QObject {
  public:
    enum SizeKind { OuterSize, ClientSize };
    WindowPlacement(QWidget* window, QSize size, QWidget* anchor = nullptr,
                    SizeKind kind = OuterSize);

    // The size of the window's frame as the window manager reports it (zero without one).
    static QSize frameSize(const QWidget* window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fitToFrame();
    void centre();

    QWidget* window_;
    QSize size_;
    SizeKind kind_;
    QPointer<QWidget> anchor_;
    QSize knownFrame_;
    bool frameSettled_ = false;
    bool shownBefore_ = false;
};
