#include "app/commands.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>

#include "core/wedge_keys.h"
#include "platform/global_hotkeys.h"
#include "text/texts.h"
#include "windows/main_form.h"

namespace {

const char* const usage = "Aufruf: lorvant [--send | --erase | --help | --version]\n";

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QString optionOf(ChannelRequest request) {
    return request == ChannelRequest::Erase ? "--erase" : "--send";
}

}  // namespace

int printHelp() {
    print(stdout,
          QString(usage) +
              "\n"
              "Ohne Option startet Lorvant. Läuft es bereits, holt ein zweiter Aufruf sein\n"
              "Hauptfenster nach vorn, statt ein zweites Lorvant zu starten.\n"
              "\n"
              "  --send     Das laufende Lorvant liest den Scanner und sendet die Barcodes\n"
              "             als Tastatureingaben, wie mit dem Hotkey für einlesen.\n"
              "  --erase    Das laufende Lorvant löscht den Scanner, wie mit dem Hotkey für\n"
              "             löschen.\n"
              "  --help     Zeigt diese Hilfe.\n"
              "  --version  Zeigt die Version.\n"
              "\n" +
              QString(texts::kWedgeCommandsHelp)
                  .arg(QString(texts::kGnomeShortcutSettings), QString(texts::kKdeShortcutSettings),
                       QString(texts::kSwayBinding).arg("lorvant")) +
              "\n"
              "Rückgabewert: 0, wenn das laufende Lorvant den Befehl angenommen hat; 1, wenn\n"
              "nicht (etwa weil Lorvant nicht läuft); 2 bei einer falschen Option.\n");
    return 0;
}

int printVersion() {
    print(stdout, "Lorvant 2.00\n");
    return 0;
}

int reportInvalidArgument(const std::string& argument) {
    print(stderr, QStringLiteral("lorvant: „%1“ wird nicht verstanden; erlaubt ist höchstens "
                                 "eine Option (neben den Optionen von Qt beim Start).\n")
                          .arg(QString::fromLocal8Bit(argument.c_str())) +
                      usage + "„lorvant --help“ zeigt die Hilfe.\n");
    return 2;
}

int runWedgeCommand(ChannelRequest request) {
    QString problem;
    const QString option = optionOf(request);
    switch (deliverRequest(request, &problem)) {
        case Delivery::Delivered:
            return 0;
        case Delivery::NotRunning:
            print(stderr, QStringLiteral("lorvant: Lorvant läuft nicht; der Befehl %1 wurde "
                                         "nicht ausgeführt. Starten Sie zuerst Lorvant.\n")
                              .arg(option));
            break;
        case Delivery::NoAnswer:
            print(stderr, QStringLiteral("lorvant: Lorvant hat den Befehl %1 nicht angenommen.\n")
                              .arg(option));
            break;
        case Delivery::Unavailable:
            print(stderr, QStringLiteral("lorvant: %1 Der Befehl %2 wurde nicht ausgeführt.\n")
                              .arg(problem, option));
            break;
    }
    return 1;
}

int reportRunningCopy(InstanceChannel::Claim claim, const QString& problem) {
    if (claim == InstanceChannel::Claim::Elsewhere) {
        print(stderr,
              "lorvant: Lorvant läuft bereits; sein Hauptfenster wird nach vorn "
              "geholt.\n");
        return 0;
    }
    print(stderr, "lorvant: " + problem + " Es wird kein zweites Lorvant gestartet.\n");
    return 1;
}

void reportChannelUnavailable(const QString& problem) {
    print(stderr, "lorvant: " + problem + " Lorvant läuft ohne die Befehle --send und --erase.\n");
}

void handleChannelRequest(ChannelRequest request, TMainForm* main) {
    switch (request) {
        case ChannelRequest::Send:
            globalHotkeys().deliverCommand(kSendHotkeyId);
            break;
        case ChannelRequest::Erase:
            globalHotkeys().deliverCommand(kClearHotkeyId);
            break;
        case ChannelRequest::Show:
            if (!main) break;
            main->setWindowState(main->windowState() & ~Qt::WindowMinimized);
            main->show();
            main->raise();
            main->activateWindow();
            // A window open over it (configuration, receive window, a message) comes along.
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->raise();
                modal->activateWindow();
            }
            break;
    }
}
