#include "windows/wedge_tray.h"

#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "core/settings.h"
#include "core/vocabulary.h"
#include "text/texts.h"
#include "ui/picture_button.h"
#include "windows/main_form.h"

namespace {
// The program's picture with a dot in the state's colour in its lower right corner.
QIcon stateIcon(WedgeState state) {
    static const QColor colours[] = {
        {46, 157, 58},   // ready: green
        {31, 111, 209},  // reading: blue
        {224, 138, 0},   // typing: orange
        {198, 40, 40},   // failed: red
    };
    constexpr int size = 64;
    QPixmap pixmap = namedPicture("program").pixmap(size, size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 3));
    painter.setBrush(colours[int(state)]);
    painter.drawEllipse(QRectF(size * 0.52, size * 0.52, size * 0.44, size * 0.44));
    painter.end();
    return QIcon(pixmap);
}

QString stateText(WedgeState state) {
    switch (state) {
        case WedgeState::Ready:
            return texts::kTrayReady;
        case WedgeState::Reading:
            return texts::kTrayReading;
        case WedgeState::Typing:
            return texts::kTrayTyping;
        case WedgeState::Failed:
            return texts::kTrayFailed;
    }
    return {};
}
}  // namespace

WedgeTray::WedgeTray(const Settings& settings, KeyboardWedge& wedge, TMainForm& main)
    : settings_(settings), wedge_(wedge), main_(main) {
    createMenu();
    connect(&wedge_, &KeyboardWedge::stateChanged, this, &WedgeTray::showState);
    update();
}

WedgeTray::~WedgeTray() {
    delete icon_;
    delete menu_;
}

void WedgeTray::createMenu() {
    menu_ = new QMenu;
    SendAction =
        menu_->addAction(texts::kTraySend, this, [this] { wedge_.SwitchHotKey(kSendHotkeyId); });
    ClearAction =
        menu_->addAction(texts::kTrayClear, this, [this] { wedge_.SwitchHotKey(kClearHotkeyId); });
    CancelAction =
        menu_->addAction(texts::kCancelReading, this, [this] { wedge_.cancelReading(); });
    CancelAction->setVisible(false);
    menu_->addSeparator();
    ConfigAction = menu_->addAction(texts::kTrayConfiguration, this,
                                    [this] { whenIdle(&TMainForm::Konfiguration1Click); });
    QuitAction =
        menu_->addAction(texts::kTrayQuit, this, [this] { whenIdle(&TMainForm::Ende1Click); });
}

void WedgeTray::whenIdle(void (TMainForm::*command)()) {
    if (!wedge_.isBusy()) (main_.*command)();
}

void WedgeTray::update() {
    const bool wanted = settings_.transferMode == TransferMode::KeyboardWedge &&
                        QSystemTrayIcon::isSystemTrayAvailable();
    if (!wanted) {
        delete icon_;
        icon_ = nullptr;
        return;
    }
    if (icon_) return;
    icon_ = new QSystemTrayIcon;
    icon_->setContextMenu(menu_);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why != QSystemTrayIcon::Trigger && why != QSystemTrayIcon::DoubleClick) return;
                main_.showNormal();
                main_.raise();
                main_.activateWindow();
            });
    showState(state_, {});
    icon_->show();
}

void WedgeTray::showState(WedgeState state, const QString& text) {
    const bool reading = state == WedgeState::Reading;
    CancelAction->setVisible(reading);
    for (QAction* action : {SendAction, ClearAction, ConfigAction, QuitAction})
        action->setEnabled(state != WedgeState::Reading && state != WedgeState::Typing);
    const bool changed = state != state_ || !icon_ || icon_->icon().isNull();
    state_ = state;
    if (!icon_) return;
    if (changed) icon_->setIcon(stateIcon(state));
    const QString detail = text.trimmed();
    icon_->setToolTip(QString(texts::kTrayToolTip)
                          .arg(stateText(state), detail.isEmpty() ? QString() : "\n" + detail));
}
