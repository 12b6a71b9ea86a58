#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <string>
#include <vector>

#include "formats/file_bytes.h"
#include "formats/profile_file.h"
#include "tests/file_helpers.h"

using namespace std::string_literals;

namespace {

struct Setting {
    const char* section;
    const char* key;
    enum Kind { String, Integer, Boolean } kind;
    const char* value;  // as written: the text, the decimal number, or "1"/"0"
};

// The nineteen keys in the order the program writes them, with the values of a first run.
const std::vector<Setting> kFirstRunSettings = {
    {"DataFile", "PathAndName", Setting::String, "/opt/lorvant/Data.txt"},
    {"DataFile", "SaveOption", Setting::Integer, "0"},
    {"DataFile", "CounterActive", Setting::Boolean, "0"},
    {"DataFile", "FileCounter", Setting::Integer, "0"},
    {"DataFile", "FieldSeparator", Setting::String, ";"},
    {"DataFile", "ScanRecToFile", Setting::Boolean, "0"},
    {"DataFile", "TransMode", Setting::Integer, "0"},
    {"ScannerOptions", "Port", Setting::Integer, "0"},
    {"ScannerOptions", "DataFormat", Setting::Integer, "0"},
    {"ScannerOptions", "TransDel", Setting::Boolean, "0"},
    {"ScannerOptions", "SynchDateTime", Setting::Boolean, "0"},
    {"SendOptions", "FieldSep", Setting::Integer, "0"},
    {"SendOptions", "RecTerm", Setting::Integer, "0"},
    {"SendOptions", "SendHot", Setting::String, ""},
    {"SendOptions", "Mod", Setting::Integer, "0"},
    {"SendOptions", "V_Key", Setting::Integer, "0"},
    {"ClrOptions", "ClrHot", Setting::String, ""},
    {"ClrOptions", "Mod", Setting::Integer, "0"},
    {"ClrOptions", "V_key", Setting::Integer, "0"},
};

bool writeSetting(ProfileFile& profile, const Setting& setting) {
    switch (setting.kind) {
        case Setting::String:
            return profile.writeString(setting.section, setting.key, setting.value);
        case Setting::Integer:
            return profile.writeInteger(setting.section, setting.key, std::stoi(setting.value));
        case Setting::Boolean:
            return profile.writeBool(setting.section, setting.key, setting.value[0] == '1');
    }
    return false;
}

const std::string kWindowsStyleFile =
    "; written by hand\r\n"
    "Orphan=outside\r\n"
    "[DataFile]\r\n"
    "  PathAndName = C:\\Daten\\Data.txt  \r\n"
    "FieldSeparator=\";\"\r\n"
    "Quoted='x'\r\n"
    "HalfQuoted=\"x\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "Dup=first\r\n"
    "dup=second\r\n"
    "Umlaut\xE4=lower\r\n"
    "Nul=ab\0cd\r\n"
    "[ ScannerOptions ]\r\n"
    "Port=3\r\n"
    "[DATAFILE]\r\n"
    "Late=1\r\n"s;

}  // namespace

class TestProfileFile : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString iniPath() const { return dir_.filePath("LVconfig.ini"); }
    ProfileFile profileWith(std::string_view bytes) {
        putFile(iniPath(), bytes);
        return ProfileFile(nativePath(iniPath()));
    }

  private slots:
    void readsWithWindowsRules() {
        const ProfileFile profile = profileWith(kWindowsStyleFile);
        QCOMPARE(profile.readString("datafile", "PATHANDNAME", "-"), "C:\\Daten\\Data.txt"s);
        QCOMPARE(profile.readString("DataFile", "FieldSeparator", "-"), ";"s);
        QCOMPARE(profile.readString("DataFile", "Quoted", "-"), "x"s);
        QCOMPARE(profile.readString("DataFile", "HalfQuoted", "-"), "\"x"s);
        QCOMPARE(profile.readString("DataFile", "Empty", "-"), ""s);
        QCOMPARE(profile.readString("DataFile", "NoEquals", "-"), "-"s);
        QCOMPARE(profile.readString("DataFile", "Dup", "-"), "first"s);
        QCOMPARE(profile.readString("DataFile", "UMLAUT\xC4", "-"), "lower"s);
        QCOMPARE(profile.readString("DataFile", "Nul", "-"), "ab"s);
        QCOMPARE(profile.readInteger("scanneroptions", "Port", -1), 3);
        // Keys live only in their own section; only the first of two equal sections counts.
        QCOMPARE(profile.readString("DataFile", "Orphan", "-"), "-"s);
        QCOMPARE(profile.readString("ScannerOptions", "PathAndName", "-"), "-"s);
        QCOMPARE(profile.readString("DataFile", "Late", "-"), "-"s);
        QCOMPARE(profile.readString("Missing", "Port", "fallback"), "fallback"s);
    }

    void readsEveryLineEnding_data() {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::addColumn<bool>("finalEnd");
        QTest::newRow("CR LF") << QByteArray("\r\n") << true;
        QTest::newRow("LF") << QByteArray("\n") << true;
        QTest::newRow("CR") << QByteArray("\r") << true;
        QTest::newRow("no final line end") << QByteArray("\r\n") << false;
    }
    void readsEveryLineEnding() {
        QFETCH(QByteArray, lineEnd);
        QFETCH(bool, finalEnd);
        const std::string end = lineEnd.toStdString();
        const std::string bytes =
            "[A]" + end + "One=1" + end + "[B]" + end + "Two=2" + (finalEnd ? end : std::string());
        const ProfileFile profile = profileWith(bytes);
        QCOMPARE(profile.readInteger("A", "One", 0), 1);
        QCOMPARE(profile.readInteger("B", "Two", 0), 2);
        QCOMPARE(profile.readInteger("A", "Two", 0), 0);
    }

    void readsIntegers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");
        const int fallback = -7;
        QTest::newRow("decimal") << QByteArray("42") << 42;
        QTest::newRow("plus") << QByteArray("+5") << 5;
        QTest::newRow("minus") << QByteArray("-1") << -1;
        QTest::newRow("blanks around") << QByteArray("  12 ") << 12;
        QTest::newRow("quoted") << QByteArray("\"9\"") << 9;
        QTest::newRow("0x") << QByteArray("0x1F") << 31;
        QTest::newRow("0X") << QByteArray("0X1f") << 31;
        QTest::newRow("dollar") << QByteArray("$ff") << 255;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
        QTest::newRow("hex bit pattern") << QByteArray("$FFFFFFFF") << -1;
        QTest::newRow("hex leading zeros") << QByteArray("0x000000010") << 16;
        QTest::newRow("empty") << QByteArray("") << fallback;
        QTest::newRow("word") << QByteArray("yes") << fallback;
        QTest::newRow("trailing garbage") << QByteArray("12abc") << fallback;
        QTest::newRow("inner blank") << QByteArray("1 2") << fallback;
        QTest::newRow("too large") << QByteArray("2147483648") << fallback;
        QTest::newRow("too small") << QByteArray("-2147483649") << fallback;
        QTest::newRow("hex too large") << QByteArray("$100000000") << fallback;
        QTest::newRow("sign alone") << QByteArray("-") << fallback;
        QTest::newRow("two signs") << QByteArray("+-5") << fallback;
        QTest::newRow("signed hex") << QByteArray("-$10") << fallback;
        QTest::newRow("prefix alone") << QByteArray("0x") << fallback;
        QTest::newRow("dollar alone") << QByteArray("$") << fallback;
        QTest::newRow("hex without prefix") << QByteArray("1F") << fallback;
        QTest::newRow("decimal point") << QByteArray("1.0") << fallback;
    }
    void readsIntegers() {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        ProfileFile profile(nativePath(dir_.filePath("absent.ini")));
        QVERIFY(profile.writeString("S", "Value", text.toStdString()));
        QCOMPARE(profile.readInteger("S", "Value", -7), expected);
        QCOMPARE(profile.readInteger("S", "Absent", -7), -7);
    }

    void readsBooleans() {
        ProfileFile profile(nativePath(dir_.filePath("absent.ini")));
        QVERIFY(profile.writeString("DataFile", "CounterActive", "2"));
        QVERIFY(profile.writeString("DataFile", "Zero", "0"));
        QVERIFY(profile.writeString("DataFile", "Word", "true"));
        QCOMPARE(profile.readBool("DataFile", "CounterActive", false), true);
        QCOMPARE(profile.readBool("DataFile", "Zero", true), false);
        QCOMPARE(profile.readBool("DataFile", "Word", false), false);
        QCOMPARE(profile.readBool("DataFile", "Word", true), true);
        QCOMPARE(profile.readBool("DataFile", "Absent", true), true);
        QVERIFY(profile.writeBool("DataFile", "CounterActive",
                                  profile.readBool("DataFile", "CounterActive", false)));
        QVERIFY(profile.writeBool("DataFile", "Zero", false));
        QCOMPARE(profile.readString("DataFile", "CounterActive", "-"), "1"s);
        QCOMPARE(profile.readString("DataFile", "Zero", "-"), "0"s);
    }

    void limitsStringsTo2047Characters() {
        ProfileFile profile(nativePath(dir_.filePath("absent.ini")));
        const std::string exact(2047, 'a');
        const std::string longer = std::string(2047, 'b') + "cdef";
        QVERIFY(profile.writeString("S", "Exact", exact));
        QVERIFY(profile.writeString("S", "Longer", longer));
        QVERIFY(profile.writeString("S", "Quoted", "'" + exact + "'"));
        QCOMPARE(profile.readString("S", "Exact", ""), exact);
        QCOMPARE(profile.readString("S", "Longer", ""), std::string(2047, 'b'));
        QCOMPARE(profile.readString("S", "Quoted", ""), exact);
    }

    void missingFileGivesDefaults() {
        const QString path = dir_.filePath("never-written.ini");
        const ProfileFile profile(nativePath(path));
        QCOMPARE(profile.readString("DataFile", "FieldSeparator", ";"), ";"s);
        QCOMPARE(profile.readInteger("DataFile", "SaveOption", 0), 0);
        QCOMPARE(profile.readBool("ScannerOptions", "TransDel", false), false);
        QVERIFY(!QFile::exists(path));
    }

    void writesInPlaceAndAppends() {
        ProfileFile profile = profileWith(
            "; Lorvant\r\n"
            "[DataFile]\r\n"
            "pathandname = old.txt\r\n"
            "Foreign=keep me\r\n"
            "; note\r\n"
            "\r\n"
            "[Empty]\r\n"
            "\r\n"
            "[Other]\r\n"
            "X=1\r\n"
            "\r\n");
        QVERIFY(profile.writeString("DATAFILE", "PathAndName", "C:\\new.txt"));
        QVERIFY(profile.writeInteger("DataFile", "SaveOption", 1));
        QVERIFY(profile.writeString("empty", "Key", "v"));
        QVERIFY(profile.writeInteger("ScannerOptions", "Port", -1));
        QVERIFY(profile.writeInteger("ScannerOptions", "DataFormat", 3));
        std::string error;
        QVERIFY2(profile.save(&error), error.c_str());
        QCOMPARE(fileBytes(iniPath()),
                 "; Lorvant\r\n"
                 "[DataFile]\r\n"
                 "pathandname=C:\\new.txt\r\n"
                 "Foreign=keep me\r\n"
                 "; note\r\n"
                 "SaveOption=1\r\n"
                 "\r\n"
                 "[Empty]\r\n"
                 "Key=v\r\n"
                 "\r\n"
                 "[Other]\r\n"
                 "X=1\r\n"
                 "\r\n"
                 "[ScannerOptions]\r\n"
                 "Port=-1\r\n"
                 "DataFormat=3\r\n"s);
    }

    void writesAllNineteenKeysToNewFile() {
        const QString path = dir_.filePath("first-run.ini");
        ProfileFile profile(nativePath(path));
        for (const auto& setting : kFirstRunSettings) QVERIFY(writeSetting(profile, setting));
        QVERIFY(profile.save());
        QCOMPARE(fileBytes(path),
                 "[DataFile]\r\n"
                 "PathAndName=/opt/lorvant/Data.txt\r\n"
                 "SaveOption=0\r\n"
                 "CounterActive=0\r\n"
                 "FileCounter=0\r\n"
                 "FieldSeparator=;\r\n"
                 "ScanRecToFile=0\r\n"
                 "TransMode=0\r\n"
                 "[ScannerOptions]\r\n"
                 "Port=0\r\n"
                 "DataFormat=0\r\n"
                 "TransDel=0\r\n"
                 "SynchDateTime=0\r\n"
                 "[SendOptions]\r\n"
                 "FieldSep=0\r\n"
                 "RecTerm=0\r\n"
                 "SendHot=\r\n"
                 "Mod=0\r\n"
                 "V_Key=0\r\n"
                 "[ClrOptions]\r\n"
                 "ClrHot=\r\n"
                 "Mod=0\r\n"
                 "V_key=0\r\n"s);
        const ProfileFile reread(nativePath(path));
        for (const auto& setting : kFirstRunSettings) {
            QCOMPARE(reread.readString(setting.section, setting.key, "<missing>"),
                     std::string(setting.value));
        }
    }

    void keepsSameNamedKeysApart() {
        ProfileFile profile = profileWith(
            "[SendOptions]\r\nMod=1\r\nV_Key=65\r\n[ClrOptions]\r\nMod=2\r\nV_key=66\r\n");
        QCOMPARE(profile.readInteger("SendOptions", "Mod", 0), 1);
        QCOMPARE(profile.readInteger("ClrOptions", "Mod", 0), 2);
        QCOMPARE(profile.readInteger("SendOptions", "V_Key", 0), 65);
        QCOMPARE(profile.readInteger("ClrOptions", "V_key", 0), 66);
        QVERIFY(profile.writeInteger("ClrOptions", "Mod", 6));
        QVERIFY(profile.writeInteger("SendOptions", "V_Key", 112));
        QVERIFY(profile.writeInteger("ClrOptions", "V_key", 113));
        QVERIFY(profile.save());
        QCOMPARE(fileBytes(iniPath()),
                 "[SendOptions]\r\nMod=1\r\nV_Key=112\r\n[ClrOptions]\r\nMod=6\r\nV_key=113\r\n"s);
    }

    void roundTripsByteForByte() {
        const std::string original =
            "; Einstellungen\r\n"
            "[DataFile]\r\n"
            "PathAndName=C:\\D\xE4ten\\Z\xE4hler Data.txt\r\n"
            "SaveOption=1\r\n"
            "Colour = blue \r\n"
            "FieldSeparator=\xA7\r\n"
            "\r\n"
            "[Foreign]\r\n"
            "Port=9\r\n"
            "[SendOptions]\r\n"
            "SendHot=Strg + Alt + F5\r\n"
            "Mod=-1\r\n";
        ProfileFile untouched = profileWith(original);
        QVERIFY(untouched.save());
        QCOMPARE(fileBytes(iniPath()), original);

        ProfileFile profile(nativePath(iniPath()));
        const std::string path = profile.readString("DataFile", "PathAndName", "");
        const std::string separator = profile.readString("DataFile", "FieldSeparator", "");
        const std::string hotkey = profile.readString("SendOptions", "SendHot", "");
        QVERIFY(profile.writeString("DataFile", "PathAndName", path));
        QVERIFY(profile.writeInteger("DataFile", "SaveOption",
                                     profile.readInteger("DataFile", "SaveOption", 0)));
        QVERIFY(profile.writeString("DataFile", "FieldSeparator", separator));
        QVERIFY(profile.writeString("SendOptions", "SendHot", hotkey));
        QVERIFY(profile.writeInteger("SendOptions", "Mod",
                                     profile.readInteger("SendOptions", "Mod", 0)));
        QVERIFY(profile.save());
        QCOMPARE(fileBytes(iniPath()), original);
    }

    void rewritesAnExistingKeyAsNameEqualsValue() {
        ProfileFile profile = profileWith(
            "[DataFile]\r\n"
            "pathandname = /tmp/x/My Data.txt \r\n"
            "  SaveOption\t=\t0\r\n"
            "FIELDSEPARATOR =\r\n"
            "Other = stays as it is \r\n");
        QVERIFY(profile.writeString("DataFile", "PathAndName", "/tmp/x/My Data.txt"));
        QVERIFY(profile.writeInteger("DataFile", "SaveOption", 1));
        QVERIFY(profile.writeString("DataFile", "FieldSeparator", ";"));
        QVERIFY(profile.save());
        QCOMPARE(fileBytes(iniPath()),
                 "[DataFile]\r\n"
                 "pathandname=/tmp/x/My Data.txt\r\n"
                 "SaveOption=1\r\n"
                 "FIELDSEPARATOR=;\r\n"
                 "Other = stays as it is \r\n"s);
    }

    void writesCrLfAndCanonicalValues() {
        ProfileFile profile = profileWith("[DataFile]\nFileCounter=0x1F\nCounterActive=2\rOther=x");
        QVERIFY(profile.writeInteger("DataFile", "FileCounter",
                                     profile.readInteger("DataFile", "FileCounter", 0)));
        QVERIFY(profile.writeBool("DataFile", "CounterActive",
                                  profile.readBool("DataFile", "CounterActive", false)));
        QVERIFY(profile.save());
        QCOMPARE(fileBytes(iniPath()),
                 "[DataFile]\r\nFileCounter=31\r\nCounterActive=1\r\nOther=x\r\n"s);
    }

    void refusesEntriesThatCannotBeStored_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("line break in value")
            << QByteArray("S") << QByteArray("K") << QByteArray("a\r\n[X]");
        QTest::newRow("lone LF in value")
            << QByteArray("S") << QByteArray("K") << QByteArray("a\nb");
        QTest::newRow("NUL in value")
            << QByteArray("S") << QByteArray("K") << QByteArray("a\0b", 3);
        QTest::newRow("equals in key") << QByteArray("S") << QByteArray("K=1") << QByteArray("v");
        QTest::newRow("key like a section")
            << QByteArray("S") << QByteArray("[K]") << QByteArray("v");
        QTest::newRow("blank around key") << QByteArray("S") << QByteArray(" K") << QByteArray("v");
        QTest::newRow("empty key") << QByteArray("S") << QByteArray("") << QByteArray("v");
        QTest::newRow("empty section") << QByteArray("") << QByteArray("K") << QByteArray("v");
        QTest::newRow("line break in section")
            << QByteArray("S\r\nT") << QByteArray("K") << QByteArray("v");
    }
    void refusesEntriesThatCannotBeStored() {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        const std::string original = "[S]\r\nK=old\r\n";
        ProfileFile profile = profileWith(original);
        QVERIFY(
            !profile.writeString(section.toStdString(), key.toStdString(), value.toStdString()));
        QCOMPARE(profile.readString("S", "K", "-"), "old"s);
        QVERIFY(profile.save());
        QCOMPARE(fileBytes(iniPath()), original);
    }

    void saveFailsWithoutHarm() {
        const std::string original = "[DataFile]\r\nSaveOption=1\r\n";
        QTemporaryDir dir;
        const QString path = dir.filePath("LVconfig.ini");
        QVERIFY(putFile(path, original));

        ProfileFile blocked(nativePath(path));
        QVERIFY(blocked.writeInteger("DataFile", "SaveOption", 0));
        const QString temporary = QString::fromStdString(temporaryFileFor(nativePath(path)));
        QVERIFY(QDir().mkpath(temporary + "/inside"));
        std::string error;
        QVERIFY(!blocked.save(&error));
        QVERIFY(!error.empty());
        QCOMPARE(fileBytes(path), original);
        QVERIFY(QDir(temporary).removeRecursively());

        ProfileFile nowhere(nativePath(dir.filePath("no-such-folder/LVconfig.ini")));
        QVERIFY(nowhere.writeInteger("DataFile", "SaveOption", 0));
        error.clear();
        QVERIFY(!nowhere.save(&error));
        QVERIFY(!error.empty());
    }

    void saveFailsInUnwritableFolder() {
        const std::string original = "[DataFile]\r\nSaveOption=1\r\n";
        QTemporaryDir dir;
        const QString path = dir.filePath("LVconfig.ini");
        QVERIFY(putFile(path, original));
        ProfileFile profile(nativePath(path));
        QVERIFY(profile.writeInteger("DataFile", "SaveOption", 0));
        QVERIFY(openFolderToAll(dir.path(), false));
        bool saved = true;
        std::string error;
        {
            WithoutRootPrivileges unprivileged;
            if (!unprivileged.unprivileged()) QSKIP("permissions cannot be taken away here");
            saved = profile.save(&error);
        }
        QVERIFY(closeFolder(dir.path()));
        QVERIFY(!saved);
        QVERIFY(!error.empty());
        QCOMPARE(fileBytes(path), original);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"LVconfig.ini"});
    }

    void keepsUnreadableFile() {
        const std::string original = "[Foreign]\r\nSecret=1\r\n";
        QTemporaryDir dir;
        const QString path = dir.filePath("LVconfig.ini");
        QVERIFY(putFile(path, original));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        QVERIFY(openFolderToAll(dir.path(), true));
        bool saved = true;
        int port = 0;
        {
            WithoutRootPrivileges unprivileged;
            if (!unprivileged.unprivileged()) QSKIP("permissions cannot be taken away here");
            ProfileFile profile(nativePath(path));
            port = profile.readInteger("ScannerOptions", "Port", 5);
            QVERIFY(profile.writeInteger("ScannerOptions", "Port", 1));
            saved = profile.save();
        }
        QVERIFY(closeFolder(dir.path()));
        QCOMPARE(port, 5);
        QVERIFY(!saved);
        QCOMPARE(fileBytes(path), original);
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "test_profile_file.moc"
