// The settings as a plain value: read from and written to the settings file by one table of
// keys, the file byte for byte as the program has always written it.
#include <QTemporaryDir>
#include <QtTest>

#include "core/settings.h"
#include "file_helpers.h"
#include "formats/profile_file.h"

namespace {
const char* kAllKeys =
    "[DataFile]\r\nPathAndName=C:\\Daten\\Data.txt\r\nSaveOption=1\r\nCounterActive=1\r\n"
    "FileCounter=31\r\nFieldSeparator=||\r\nScanRecToFile=1\r\nTransMode=1\r\n"
    "[ScannerOptions]\r\nPort=15\r\nDataFormat=2\r\nTransDel=1\r\nSynchDateTime=1\r\n"
    "[SendOptions]\r\nFieldSep=6\r\nRecTerm=3\r\nSendHot=Ctrl+Alt+F5\r\nMod=3\r\nV_Key=116\r\n"
    "[ClrOptions]\r\nClrHot=Alt+D\r\nMod=1\r\nV_key=68\r\n";
}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    std::string path() const { return dir_.filePath("LVconfig.ini").toStdString(); }

  private slots:
    void init() { QFile::remove(QString::fromStdString(path())); }

    void everyKeyReadsIntoItsFieldAndWritesBackTheSameBytes() {
        putFile(QString::fromStdString(path()), kAllKeys);
        const Settings settings = readSettingsFrom(ProfileFile(path()), Settings{});
        QCOMPARE(settings.dataFile, std::string("C:\\Daten\\Data.txt"));
        QCOMPARE(settings.saveOption, SaveOption::Append);
        QVERIFY(settings.counterActive && settings.scannerRecordFirst);
        QCOMPARE(settings.fileCounter, 31);
        QCOMPARE(settings.fieldSeparator, std::string("||"));
        QCOMPARE(settings.transferMode, TransferMode::KeyboardWedge);
        QCOMPARE(settings.port, 15);
        QCOMPARE(settings.dataFormat, DataFormat::Date);
        QVERIFY(settings.eraseAfterTransfer && settings.synchroniseClock);
        QCOMPARE(settings.wedgeSeparator, WedgeSeparator::VerticalTab);
        QCOMPARE(settings.wedgeTerminator, WedgeTerminator::VerticalTab);
        QVERIFY((settings.sendHotkey == StoredHotkey{"Ctrl+Alt+F5", 3, 116}));
        QVERIFY((settings.clearHotkey == StoredHotkey{"Alt+D", 1, 68}));

        // Written from scratch: the four sections in their order, every key as it was.
        QFile::remove(QString::fromStdString(path()));
        ProfileFile fresh(path());
        QVERIFY(writeSettingsTo(settings, fresh));
        QVERIFY(fresh.save());
        QCOMPARE(fileBytes(QString::fromStdString(path())), std::string(kAllKeys));
    }

    // The history's keeping is a key the program's files did not always have: a file that
    // never set it gets none, one that set it keeps it, also when set back to 0.
    void keepDaysIsWrittenOnlyOnceSet() {
        const QString file = QString::fromStdString(path());
        putFile(file, kAllKeys);
        Settings settings = readSettingsFrom(ProfileFile(path()), Settings{});
        QCOMPARE(settings.historyKeepDays, 0);
        for (const int days : {30, 0}) {
            settings.historyKeepDays = days;
            ProfileFile profile(path());
            QVERIFY(writeSettingsTo(settings, profile));
            QVERIFY(profile.save());
            QCOMPARE(fileBytes(file), std::string(kAllKeys) +
                                          "[History]\r\nKeepDays=" + std::to_string(days) + "\r\n");
            QCOMPARE(readSettingsFrom(ProfileFile(path()), Settings{}).historyKeepDays, days);
        }
        putFile(file, "[History]\r\nKeepDays=-5\r\n");
        QCOMPARE(readSettingsFrom(ProfileFile(path()), Settings{}).historyKeepDays, 0);
    }

    // So are the wedge's pauses: in [SendOptions] once set, none in a file that never set
    // them, a number out of range read as the nearer end.
    void pausesAreWrittenOnlyOnceSetAndReadWithinTheirRange() {
        const QString file = QString::fromStdString(path());
        const auto withPauses = [](const std::string& keys) {
            std::string bytes = kAllKeys;
            const std::string after = "V_Key=116\r\n";
            return bytes.insert(bytes.find(after) + after.size(), keys);
        };
        const auto writeBack = [this](const Settings& settings) {
            ProfileFile profile(path());
            return writeSettingsTo(settings, profile) && profile.save();
        };
        putFile(file, kAllKeys);
        Settings settings = readSettingsFrom(ProfileFile(path()), Settings{});
        QCOMPARE(settings.linePauseMs, 0);
        QCOMPARE(settings.keyPauseMs, 0);
        QVERIFY(writeBack(settings));
        QCOMPARE(fileBytes(file), std::string(kAllKeys));

        settings.linePauseMs = 250;
        QVERIFY(writeBack(settings));
        QCOMPARE(fileBytes(file), withPauses("LinePause=250\r\n"));
        settings.keyPauseMs = 15;
        QVERIFY(writeBack(settings));
        QCOMPARE(fileBytes(file), withPauses("LinePause=250\r\nKeyPause=15\r\n"));
        const Settings read = readSettingsFrom(ProfileFile(path()), Settings{});
        QCOMPARE(read.linePauseMs, 250);
        QCOMPARE(read.keyPauseMs, 15);
        settings.linePauseMs = settings.keyPauseMs = 0;
        QVERIFY(writeBack(settings));
        QCOMPARE(fileBytes(file), withPauses("LinePause=0\r\nKeyPause=0\r\n"));

        const std::pair<const char*, std::pair<int, int>> ranges[] = {
            {"LinePause=2001\r\nKeyPause=-3\r\n", {2000, 0}},
            {"LinePause=-1\r\nKeyPause=101\r\n", {0, 100}},
            {"LinePause=2000\r\nKeyPause=100\r\n", {2000, 100}},
        };
        for (const auto& [keys, pauses] : ranges) {
            putFile(file, std::string("[SendOptions]\r\n") + keys);
            const Settings clamped = readSettingsFrom(ProfileFile(path()), Settings{});
            QCOMPARE(clamped.linePauseMs, pauses.first);
            QCOMPARE(clamped.keyPauseMs, pauses.second);
        }
    }

    void missingKeysTakeTheDefaultsGiven() {
        Settings defaults;
        defaults.dataFile = "/home/lager/Data.txt";
        const Settings settings = readSettingsFrom(ProfileFile(path()), defaults);
        QVERIFY(settings == defaults);
        QCOMPARE(settings.fieldSeparator, std::string(";"));
        QCOMPARE(settings.wedgeTerminator, WedgeTerminator::CR);
    }

    void aNumberThatNamesNoChoiceSelectsTheDefault() {
        putFile(QString::fromStdString(path()),
                "[DataFile]\r\nSaveOption=7\r\nTransMode=-1\r\n"
                "[ScannerOptions]\r\nPort=16\r\nDataFormat=-3\r\n"
                "[SendOptions]\r\nFieldSep=7\r\nRecTerm=-1\r\nMod=-9\r\n");
        const Settings settings = readSettingsFrom(ProfileFile(path()), Settings{});
        // A radio group takes a number beyond its last choice as its last.
        QCOMPARE(settings.saveOption, SaveOption::Append);
        QCOMPARE(settings.transferMode, TransferMode::FileTransfer);
        QCOMPARE(settings.port, 0);
        QCOMPARE(settings.dataFormat, DataFormat::TimeAndDate);
        QCOMPARE(settings.wedgeSeparator, WedgeSeparator::Comma);
        QCOMPARE(settings.wedgeTerminator, WedgeTerminator::CR);
        // Plain numbers are taken as they are.
        QCOMPARE(settings.sendHotkey.modifiers, -9);
    }
};

QTEST_APPLESS_MAIN(SettingsTest)
#include "test_settings.moc"
