#pragma once

// What lorvant-cli alone says (German, UTF-8). The messages it shares with the window
// program come from text/texts.h. "%1", "%2" are filled in where the text is printed.
namespace clitexts {

inline constexpr char kSeeHelp[] = "„lorvant-cli --help“ zeigt die Hilfe.";
inline constexpr char kVersion[] = "lorvant-cli 2.00";

// --- Files and port
inline constexpr char kConfigFolderMissing[] = "Der Ordner %1 (--config) ist nicht vorhanden.";
inline constexpr char kPortHeldByLorvant[] =
    "Der Port %1 ist von einem laufenden Lorvant belegt (%2, Prozess %3); lorvant-cli öffnet "
    "ihn nicht ein zweites Mal. Schliessen Sie ihn dort („Scanner Port schliessen.“) oder "
    "beenden Sie das Programm.";
inline constexpr char kPortHeldByCli[] =
    "Der Port %1 wird gerade von einem anderen lorvant-cli benutzt (Prozess %2); lorvant-cli "
    "öffnet ihn nicht ein zweites Mal. Versuchen Sie es wieder, wenn es fertig ist.";

// --- Reception
inline constexpr char kNotInScannerList[] =
    "Der Scanner %1 ist nicht in der Scanner-Liste %2; „lorvant-cli register --id ID --name "
    "NAME“ trägt ihn ein. Es wurde nichts empfangen.";
inline constexpr char kNothingSaved[] = "Es wurde nichts gespeichert.";
inline constexpr char kScannerKeepsBarcodes[] = "Der Scanner behält seine Barcodes.";
inline constexpr char kStandardOutputFailed[] =
    "Die Daten konnten nicht auf die Standardausgabe geschrieben werden (%1).";
inline constexpr char kEmptyUnitKeepsFile[] =
    "Der Scanner enthält keine Barcodes; die Datei %1 behält ihre bisherigen Daten.";
inline constexpr char kSavedTo[] = "%1 Barcodes gespeichert in %2.";
inline constexpr char kWrittenToOutput[] = "%1 Barcodes auf die Standardausgabe geschrieben.";
inline constexpr char kErased[] = "Die Barcodes des Scanners wurden gelöscht.";

// --- Signals
inline constexpr char kInterrupted[] =
    "Abgebrochen; es wurde nichts gespeichert und nichts gelöscht.";
inline constexpr char kInterruptedAfterSave[] =
    "Abgebrochen; die Daten sind gespeichert, der Scanner wurde nicht gelöscht.";

// --- Clock
inline constexpr char kClockLost[] =
    "Die Uhr des Scanners hat ihre Zeit verloren (sie war ohne Strom); „lorvant-cli clock "
    "--sync“ stellt sie.";
inline constexpr char kClockNotSet[] = "Der Scanner hat die Zeit nicht übernommen.";
inline constexpr char kClockValueInvalid[] =
    "„%1“ ist keine gültige Zeit; erwartet wird „JJJJ-MM-TT hh:mm:ss“ mit einem Jahr von 2000 "
    "bis 2099.";

// --- Parameters
inline constexpr char kParametersWritten[] =
    "Die Einstellungen wurden auf den Scanner geschrieben.";
inline constexpr char kParametersSavedTo[] =
    "Die Einstellungen des Scanners sind gespeichert in %1.";
inline constexpr char kNoParametersInFile[] =
    "In %1 sind keine Einstellungen gespeichert (die Datei fehlt oder ist leer); "
    "„lorvant-cli parameters --read“ oder „Konfiguration speichern“ legt sie an.";
inline constexpr char kParameterFileUnreadable[] = "Die Datei %1 kann nicht gelesen werden (%2).";
inline constexpr char kParameterFileHeldByLorvant[] =
    "Die Datei %1 ist von einem laufenden Lorvant geöffnet; lorvant-cli schreibt sie nicht. "
    "Geben Sie eine andere Datei an oder beenden Sie das Programm.";
inline constexpr char kParameterFileNotOpened[] = "Die Datei %1 kann nicht geöffnet werden.";
inline constexpr char kParametersNotReadNothingSaved[] =
    "Diese Einstellungen konnten nicht vom Scanner gelesen werden:\n\n%1\nEs wurde nichts "
    "gespeichert.";
inline constexpr char kFactoryResetRefused[] =
    "Auf dem Scanner %1 gespeichert; der Reset würde sie löschen. Empfangen Sie sie zuerst "
    "(„lorvant-cli receive“) oder löschen Sie sie („lorvant-cli erase --yes“). Der Scanner "
    "wurde nicht zurückgesetzt.";
inline constexpr char kFactoryResetDone[] =
    "Der Scanner wurde auf seine Werkseinstellungen zurückgesetzt.";

// --- History
inline constexpr char kNoSuchReception[] = "Im Verlauf gibt es keinen Empfang %1.";
inline constexpr char kNoHistory[] = "Es gibt keinen Verlauf.";
inline constexpr char kExported[] = "Empfang %1 (%2 Barcodes) gespeichert in %3.";

// --- Register
inline constexpr char kIdInvalid[] =
    "Die ID „%1“ ist ungültig: 1 bis 4 Zeichen, ohne „;“ und Steuerzeichen.";
inline constexpr char kNameInvalid[] = "Der Name „%1“ ist ungültig: ohne „;“ und Steuerzeichen.";
inline constexpr char kNotStorable[] =
    "„%1“ enthält Zeichen, die die Scanner-Liste nicht speichern kann (sie ist Windows-1252).";
inline constexpr char kRegistered[] = "Scanner %1: ID %2, Name %3";

// --- Info
inline constexpr char kInfoSerial[] = "Seriennummer:  %1";
inline constexpr char kInfoRegistered[] = "Registriert:   ja, ID %1, Name %2";
inline constexpr char kInfoNotRegistered[] = "Registriert:   nein";
inline constexpr char kInfoCount[] = "Barcodes:      %1";
inline constexpr char kInfoClock[] = "Uhr:           %1";
inline constexpr char kInfoClockLost[] = "Uhr:           ohne Zeit (sie war ohne Strom)";
inline constexpr char kInfoClockUnknown[] = "Uhr:           nicht gelesen";
inline constexpr char kInfoBatteryLow[] = "Batterie:      schwach";
inline constexpr char kInfoBatteryOk[] = "Batterie:      in Ordnung";
inline constexpr char kInfoPort[] = "Port:          %1";

}  // namespace clitexts
