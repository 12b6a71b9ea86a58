#pragma once

// The German texts of the program's windows, each written once: every message (message
// boxes and status lines) and every caption that more than one control shows. A caption
// that one control alone shows stays with the layout of its window; what the command line
// alone prints is in app/commands.cpp, what lorvant-cli alone prints in cli/cli_texts.h. UTF-8; the
// blanks at the start and end of a text are part of it. "%1", "%2" are filled in where the text is
// shown.
namespace texts {

// --- Captions shown by several controls
inline constexpr char kClose[] = "Schliessen";
inline constexpr char kOk[] = "OK";
inline constexpr char kCancel[] = "Cancel";
inline constexpr char kConfiguration[] = "Konfiguration";
inline constexpr char kInfo[] = "Info";
inline constexpr char kTime[] = "Zeit";
inline constexpr char kDate[] = "Datum";
inline constexpr char kHorizontalTab[] = "H-Tab";
inline constexpr char kVerticalTab[] = "V-Tab";
inline constexpr char kEnterKeyCombination[] = "Tastenkombination eingeben.";

// --- The hotkeys
inline constexpr char kHotkeysCaption[] = "Tastenkürzel";

// --- The scanner link
inline constexpr char kCommunicationError[] = " Kommunikations Fehler ";
inline constexpr char kNoConnection[] = " Keine Verbindung zum Scanner.";
inline constexpr char kPortNotOpened[] = "Port kann nicht intialisiert werden";
inline constexpr char kPortNotOpenedCaption[] = "Kommunikations Fehler!!";
inline constexpr char kPortNotPermitted[] = "\nKeine Berechtigung für %1.";
inline constexpr char kPortNotPermittedJoinGroup[] =
    "\nKeine Berechtigung für %1: Der Benutzer muss zur Gruppe \"%2\" gehören (sudo usermod "
    "-aG %2 $USER, danach neu anmelden).";
inline constexpr char kPortMissing[] =
    "\nDas Gerät %1 ist nicht vorhanden: Ist der Scanner mit seinem Kabel angeschlossen?";
inline constexpr char kPortStandsForDevice[] =
    "\n%1 steht für %2; ein anderes Gerät nennt die Umgebungsvariable LORVANT_%1 "
    "(etwa LORVANT_%1=/dev/ttyACM0).";
inline constexpr char kPortNamedByVariable[] =
    "\n%1 steht für %2, wie es die Umgebungsvariable LORVANT_%1 nennt.";
inline constexpr char kPortBusy[] =
    "\nDas Gerät %1 ist belegt: Ein anderes Programm hat es geöffnet.";
inline constexpr char kPortNotSerial[] =
    "\nDas Gerät %1 lässt sich nicht als serielle Schnittstelle einrichten.";
inline constexpr char kScannerMayBeChanged[] = "Scanner kann nun gewechselt werden";
inline constexpr char kNotAnsweringNotErased[] =
    "Der Scanner antwortet nicht; seine Barcodes wurden nicht gelöscht.";
inline constexpr char kOtherScanner[] =
    "Am Port ist ein anderer Scanner angeschlossen als beim Empfang.\n"
    "Seine Barcodes werden nicht gelöscht.";
inline constexpr char kOtherScannerCaption[] = " Scanner gewechselt";

// --- The scanner parameters
inline constexpr char kParametersRefused[] =
    "Der Scanner hat diese Einstellungen nicht übernommen:\n\n";
inline constexpr char kParametersLockedWhileStored[] =
    "\nDie max. Barcode Länge und der Zeit/Datums Stempel lassen sich nur ändern, "
    "solange keine Barcodes auf dem Scanner gespeichert sind.";
inline constexpr char kParametersUnanswered[] = "\nDer Scanner hat nicht immer geantwortet.";
inline constexpr char kParametersRefusedCaption[] = " Einstellungen nicht übernommen";
inline constexpr char kParametersNotRead[] =
    "Diese Einstellungen konnten nicht vom Scanner gelesen werden und zeigen "
    "weiter den bisherigen Stand:\n\n";
inline constexpr char kParametersNotReadCaption[] = " Einstellungen nicht gelesen";
inline constexpr char kOneBarcodeStored[] = "ist noch 1 Barcode";
inline constexpr char kBarcodesStored[] = "sind noch %1 Barcodes";
inline constexpr char kFactoryResetQuestion[] =
    "Auf dem Scanner %1 gespeichert. Der Reset löscht sie.\n\n"
    "Wollen Sie den Scanner trotzdem zurücksetzen ?";
inline constexpr char kFactoryResetCaption[] = "  Scanner Reset";
inline constexpr char kParameterFileNotSaved[] =
    "Die Konfiguration wurde nicht gespeichert.\n\nDatei: %1\nGrund: %2";
inline constexpr char kParameterFileNotWritten[] = "Die Datei konnte nicht geschrieben werden.";
inline constexpr char kParameterFileHeld[] =
    "Sie ist von einem anderen laufenden Lorvant belegt oder kann in ihrem Ordner nicht "
    "angelegt werden.";

// --- The scanner list
inline constexpr char kDeleteEntryQuestion[] = "Wollen Sie wirklich diesen Eintrag löschen ?";
inline constexpr char kDeleteEntryCaption[] = "  Eintrag löschen";

// --- The settings
inline constexpr char kSettingsNotWritten[] = "Unable to write to %1";
inline constexpr char kScannerListNotSaved[] =
    "Die Scanner-Liste wurde nicht gespeichert: %1 konnte beim Start nicht gelesen werden "
    "und wäre sonst überschrieben worden.";
// --- A reading ended early
inline constexpr char kReadingStalled[] =
    "Die Leitung zum Scanner gab 15 Sekunden lang keine brauchbare Antwort; das Lesen wurde "
    "beendet. Auf dem Scanner wurde nichts gelöscht.";
inline constexpr char kStatusCancelled[] =
    " Lesen abgebrochen: nichts gespeichert, nichts gelöscht";
inline constexpr char kCancelReading[] = "Abbrechen";
// --- What the unit tells of itself
inline constexpr char kLowBattery[] = "Batterie des Scanners schwach.";
inline constexpr char kClockLost[] =
    "Die Uhr des Scanners hatte keinen Strom: die Zeiten dieser Barcodes sind nicht gültig.";
inline constexpr char kClockNowRight[] =
    "Die Uhr des Scanners ist gestellt und geht jetzt richtig.";
inline constexpr char kUnitHealthCaption[] = " Scanner";
// Beside the receive window's count.
inline constexpr char kStatusLowBattery[] = " – Batterie schwach";
inline constexpr char kStatusClockLost[] = " – Uhr ohne Strom, Zeiten ungültig";
// --- The reception history
inline constexpr char kNotInHistory[] =
    "Diese Lesung steht nicht im Verlauf (%1). Sie wird trotzdem gelistet, gespeichert und "
    "gesendet wie sonst.";
inline constexpr char kHistoryCaption[] = " Verlauf";
// How a reception left the program, and the mark of a row read before.
inline constexpr char kDeliveredSaved[] = "gespeichert in %1";
inline constexpr char kDeliveredTyped[] = "gesendet";
inline constexpr char kDeliveredNone[] = "nicht übergeben";
inline constexpr char kRepeated[] = "  (wiederholt)";
// The receive window: rows the unit's previous reception held too.
inline constexpr char kRepeatedCount[] = "%1 wiederholt";
inline constexpr char kRepeatedHint[] =
    "Schon beim letzten Empfang dieses Scanners gelesen: der Scanner wurde seitdem nicht "
    "gelöscht.";
// The history window.
inline constexpr char kHistoryWindowTitle[] = "Verlauf";
inline constexpr char kHistoryMenu[] = "Verlauf";
inline constexpr char kHistorySearch[] = "Barcode suchen:";
inline constexpr char kHistoryFind[] = "Suchen";
inline constexpr char kHistoryShowAll[] = "Alle";
inline constexpr char kHistorySaveAs[] = "Speichern unter …";
inline constexpr char kHistoryResend[] = "Erneut senden";
inline constexpr char kHistoryCopy[] = "Kopieren";
inline constexpr char kHistoryKeep[] = "Behalten (Tage, 0 = alle):";
inline constexpr char kHistoryColumns[] = "Gelesen am|Scanner|Barcodes|Übergeben";
inline constexpr char kHistoryRowColumns[] = "Nr.|Zeile";
inline constexpr char kHistoryCount[] = "%1 Empfänge";
inline constexpr char kHistoryFound[] = "%1 in %2 Empfängen gefunden";
inline constexpr char kHistoryUnavailable[] =
    "Es gibt keinen Verlauf: er konnte beim Start nicht geöffnet werden.";
inline constexpr char kHistorySaved[] = "Empfang vom %1 (%2 Barcodes) gespeichert in %3.";
inline constexpr char kHistoryResendArmed[] =
    "Erneut senden: %1 Barcodes – die Sende-Taste im Zielprogramm drücken";

inline constexpr char kScannerListCut[] =
    "Die Scanner-Liste %1 konnte nicht ganz gelesen werden: Zeile %2 enthält ein NUL-Zeichen, "
    "die Scanner ab dieser Zeile fehlen in der Liste.\n\n"
    "Die Datei bleibt, wie sie ist, solange die Liste nicht geändert wird; wird sie geändert, "
    "bleibt die Datei vorher als %3 erhalten.";
inline constexpr char kScannerListCutCaption[] = " Scanner-Liste beschädigt";
inline constexpr char kScannerListNotKept[] =
    "Die Scanner-Liste wurde nicht gespeichert: Die beschädigte Datei %1 konnte nicht als %2 "
    "aufbewahrt werden.";
inline constexpr char kFileNameNotStorable[] =
    "Der Name enthält Zeichen, die Lorvant nicht speichern kann:\n%1\n\n"
    "Bitte einen anderen Namen wählen.";
inline constexpr char kFileNameNotStorableCaption[] = " Ungültiger Dateiname";
// %1: the folder, %2: the system's reason.
inline constexpr char kSettingsFolderNotCreated[] =
    "Der Ordner für Einstellungen und Scanner-Liste kann nicht angelegt werden:\n%1\nGrund: %2";
inline constexpr char kStartsWithDefaults[] =
    "\n\nLorvant startet mit den Standardeinstellungen; was in diesem Lauf eingestellt wird, "
    "kann nicht gespeichert werden.";
inline constexpr char kSettingsFolderCaption[] = " Einstellungsordner";

// --- The main window
inline constexpr char kMainWindowTitle[] = "              Q&Z Lorvant";
inline constexpr char kStatusNoScanner[] = "   Scanner SN erfassen!";
inline constexpr char kStatusCS1504[] = "   Konfiguriert für CS1504";
inline constexpr char kStatusChangePort[] = "   Vor Scannerwechsel Port schliessen!";
inline constexpr char kHintNoScanner[] = "Kein Scanner erfasst!";
inline constexpr char kHintReadScanner[] = "Daten von Scanner lesen";
inline constexpr char kUnknownError[] = "Unbekannter Fehler";

// --- Reception
inline constexpr char kCheckConfiguration[] = "Überprüfen Sie die Konfiguration !";
inline constexpr char kNoValidScanner[] = " Kein gültiger Scanner !";
inline constexpr char kScannerSettingsNotRead[] =
    "Die Einstellungen des Scanners konnten nicht gelesen werden.\n"
    "Bitte den Empfang wiederholen.";
inline constexpr char kReceptionError[] = " Empfangsfehler";
inline constexpr char kTimeStampInvalid[] =
    "Der Zeitstempel von Barcode %1 ist ungültig (\"%2\").\nDer Empfang wurde abgebrochen.";
inline constexpr char kBarcodesUnread[] =
    "%1 von %2 Barcodes konnten nicht gelesen werden.\n"
    "Sie bleiben auf dem Scanner und werden nicht gelöscht.";
inline constexpr char kStatusReceived[] = " Anzahl empfangene Scanner Daten = %1";
inline constexpr char kProgressBarcodes[] = "Barcodes: %1";

// --- Data file output
inline constexpr char kDataNotSaved[] =
    "Die Daten konnten nicht gespeichert werden.\n\nDatei: %1\nGrund: %2";
inline constexpr char kSaveError[] = " Fehler beim Speichern";
inline constexpr char kStatusSaved[] = " Daten wurden in Datei gespeichert";
inline constexpr char kEmptyListOverwrites[] =
    "Die Liste enthält keine Barcodes.\n"
    "Beim Speichern wird die Datei %1 überschrieben; ihre bisherigen Daten gehen verloren.\n\n"
    "Wollen Sie die Datei trotzdem überschreiben ?";
inline constexpr char kEmptyListCaption[] = "Liste ist leer !";
inline constexpr char kCloseAnyway[] = "Wollen Sie trotzdem schliessen ??";
inline constexpr char kListNotSaved[] = "Liste wurde noch nicht gespeichert !";
inline constexpr char kStatusSettingClock[] = " Datum und Zeit werden auf Scanner übertragen.";
inline constexpr char kStatusErasing[] = " Daten auf Scanner werden gelöscht";

// --- Keyboard wedge
inline constexpr char kNotAllTyped[] =
    "Die Barcodes konnten nicht vollständig als Tastatureingaben gesendet werden.\n"
    "Sie bleiben auf dem Scanner und werden nicht gelöscht.";
inline constexpr char kTransferError[] = " Übertragungsfehler";
inline constexpr char kWedgeReading[] = " Scanner wird gelesen, Barcodes: %1";
inline constexpr char kWedgeTyping[] = " Barcodes werden getippt: %1";
inline constexpr char kWedgeTitle[] = "%1 - Lorvant";
// How a transfer ended, in the main window's status bar.
inline constexpr char kWedgeTyped[] = " %1 Barcodes getippt";
inline constexpr char kWedgeNoBarcodes[] = " Keine Barcodes auf dem Scanner";
inline constexpr char kWedgeNothingTyped[] =
    " Nichts getippt: der Scanner wurde nicht ganz gelesen";
inline constexpr char kWedgeNotAllTyped[] = " Nicht alle Barcodes getippt";
inline constexpr char kWedgeNothingRead[] = " Nichts getippt: der Scanner-Port ist nicht geöffnet";
inline constexpr char kWedgeCancelled[] = " Lesen abgebrochen: nichts getippt, nichts gelöscht";
// The tray icon in keyboard-wedge mode: its menu, and its tooltip (the state, then what the
// main window's status bar says).
inline constexpr char kTraySend[] = "Barcodes senden";
inline constexpr char kTrayClear[] = "Scanner löschen";
inline constexpr char kTrayConfiguration[] = "Konfiguration …";
inline constexpr char kTrayQuit[] = "Beenden";
inline constexpr char kTrayToolTip[] = "Lorvant: %1%2";
inline constexpr char kTrayReady[] = "bereit";
inline constexpr char kTrayReading[] = "liest den Scanner";
inline constexpr char kTrayTyping[] = "tippt";
inline constexpr char kTrayFailed[] = "Fehler";
// The configuration page of the keyboard wedge, as its tab shows it and messages name it.
inline constexpr char kWedgePage[] = "KB-Wedge";
// Its pace for slow targets.
inline constexpr char kLinePause[] = "Pause nach Zeilenende";
inline constexpr char kKeyPause[] = "Pause je Zeichen";
inline constexpr char kPauseUnit[] = " ms";
inline constexpr char kPauseHint[] =
    "Für Web-Formulare und Terminalprogramme, denen beim schnellen Tippen Zeichen oder "
    "Zeilenenden verloren gehen. 0 tippt ohne Pause.";

// --- The wedge commands, where no program may grab keys: bound to shortcuts of the
// desktop's own (the command line's help, the page "KB-Wedge", the portal's messages)
inline constexpr char kGnomeShortcutSettings[] =
    "GNOME: Einstellungen → Tastatur → Eigene Tastenkürzel";
inline constexpr char kKdeShortcutSettings[] = "KDE: Systemeinstellungen → Kurzbefehle";
// %1: the program as the command names it.
inline constexpr char kSwayBinding[] = "bindsym Ctrl+Alt+s exec %1 --send";
// %1: the program's path; %2, %3: the GNOME and KDE settings; %4: the sway binding.
inline constexpr char kWedgeCommandsNote[] =
    "Hinweis: In dieser Wayland-Sitzung kann Lorvant die Hotkeys nicht selbst "
    "belegen. Legen Sie in den Tastatureinstellungen Ihrer Arbeitsumgebung zwei "
    "eigene Tastenkürzel an, die diese Befehle ausführen:\n"
    "    einlesen:  %1 --send\n"
    "    löschen:  %1 --erase\n"
    "%2\n"
    "%3\n"
    "sway: in ~/.config/sway/config zum Beispiel\n"
    "    %4";
// %1, %2: the GNOME and KDE settings; %3: the sway binding. Lines of the help.
inline constexpr char kWedgeCommandsHelp[] =
    "Wo Lorvant keine globalen Hotkeys belegen kann (Wayland), lassen sich die\n"
    "beiden Befehle in den Tastatureinstellungen der Arbeitsumgebung an eigene\n"
    "Tastenkürzel binden. %1;\n"
    "%2; sway: %3\n";
inline constexpr char kWedgeCommandsOnPage[] = "wie, zeigt die Seite „%1“ der Konfiguration.";

// --- Typing on Wayland desktops
// The compositors that let a program type through a virtual keyboard of its own.
inline constexpr char kVirtualKeyboardCompositors[] = "sway, Hyprland, river, labwc und Wayfire";
// After a refused or ended permission to type.
inline constexpr char kDesktopAsksAgain[] = "beim nächsten Senden fragt der Desktop erneut.";

}  // namespace texts
