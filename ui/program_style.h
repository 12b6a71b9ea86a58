#pragma once

#include <QProxyStyle>

// The style the windows are drawn in: the one Qt chose (Fusion, or what the desktop or the
// -style option asks for), with the menu bar's overflow arrows drawn by the program. A menu
// bar asks for those arrows when it is made. Qt's own are PNG files, and before an image
// reader reads a PNG it loads every image format plugin (and with them Qt's SVG library):
// that took about a millisecond of the start. Ours are painted when shown,
// which is seldom: the main window's menu fits its width.
class ProgramStyle : public QProxyStyle {
    Q_OBJECT
  public:
    // Takes `base` over, as every proxy style does.
    explicit ProgramStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// Puts the program's style over the application's current one.
void useProgramStyle();
