// What the keyboard wedge types: separator and terminator tables, the line built from a
// receive list row, the key events of one character, and the recording output.
#include <QtTest>

#include "core/wedge_keys.h"
#include "platform/recording/recording_keyboard.h"

using Events = std::vector<KeyEvent>;
Q_DECLARE_METATYPE(Events)

namespace {
KeyEvent down(int virtualKey) {
    return {virtualKey, true};
}
KeyEvent up(int virtualKey) {
    return {virtualKey, false};
}
}  // namespace

class WedgeKeysTest : public QObject {
    Q_OBJECT

  private slots:
    void separatorTable_data();
    void separatorTable();
    void terminatorTable_data();
    void terminatorTable();
    void buildLine_data();
    void buildLine();
    void decodesTheLayoutLookup_data();
    void decodesTheLayoutLookup();
    void characterEvents_data();
    void characterEvents();
    void terminatorIsOnePlainPress();
    void recordingOutputKeepsEveryEvent();
};

void WedgeKeysTest::separatorTable_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<char>("separator");
    QTest::newRow(",") << 0 << ',';
    QTest::newRow(".") << 1 << '.';
    QTest::newRow(":") << 2 << ':';
    QTest::newRow(";") << 3 << ';';
    QTest::newRow("/") << 4 << '/';
    QTest::newRow("H-Tab") << 5 << '\t';
    QTest::newRow("V-Tab") << 6 << '\v';
    QTest::newRow("-1 from a hand-edited file") << -1 << ',';
    QTest::newRow("one past the end") << 7 << ',';
    QTest::newRow("far out") << 1000 << ',';
}

void WedgeKeysTest::separatorTable() {
    QFETCH(int, index);
    QFETCH(char, separator);
    QCOMPARE(wedgeSeparatorCharacter(WedgeSeparator(index)), separator);
}

void WedgeKeysTest::terminatorTable_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("virtualKey");
    QTest::newRow("CR") << 0 << 13;
    QTest::newRow("LF") << 1 << 10;
    QTest::newRow("H-Tab") << 2 << 9;
    QTest::newRow("V-Tab") << 3 << 11;
    QTest::newRow("-1 from a hand-edited file") << -1 << 13;
    QTest::newRow("one past the end") << 4 << 13;
}

void WedgeKeysTest::terminatorTable() {
    QFETCH(int, index);
    QFETCH(int, virtualKey);
    QCOMPARE(terminatorVirtualKey(WedgeTerminator(index)), virtualKey);
}

void WedgeKeysTest::buildLine_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("line");

    QTest::newRow("barcode, time and date with H-Tab")
        << QStringList{"4711", "14:05:09", "06.12.2026"} << '\t' << "4711\t14:05:09\t06.12.2026";
    QTest::newRow("barcode and time") << QStringList{"4711", "14:05:09"} << ',' << "4711,14:05:09";
    QTest::newRow("barcode alone types no separator") << QStringList{"4711"} << ',' << "4711";
    QTest::newRow("empty barcode")
        << QStringList{"", "14:05:09", "06.12.2026"} << ',' << ",14:05:09,06.12.2026";
    QTest::newRow("a barcode holding the list's delimiter is typed whole")
        << QStringList{"AB;CD", "14:05:09", "06.12.2026"} << ',' << "AB;CD,14:05:09,06.12.2026";
    QTest::newRow("so is one holding the wedge separator")
        << QStringList{"A:B", "14:05:09"} << ':' << "A:B:14:05:09";
}

void WedgeKeysTest::buildLine() {
    QFETCH(QStringList, fields);
    QFETCH(char, separator);
    QFETCH(QString, line);
    std::vector<std::string> bytes;
    for (const QString& field : fields) bytes.push_back(field.toStdString());
    QCOMPARE(QString::fromStdString(buildWedgeLine(bytes, separator)), line);
}

void WedgeKeysTest::decodesTheLayoutLookup_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<int>("shiftState");
    QTest::newRow("a") << 0x0041 << true << 0x41 << 0;
    QTest::newRow("A with Shift") << 0x0141 << true << 0x41 << 1;
    QTest::newRow("German @ with AltGr") << 0x0651 << true << 0x51 << 6;
    QTest::newRow("Hankaku bit ignored") << 0x0841 << true << 0x41 << 0;
    QTest::newRow("no key") << -1 << false << 0 << 0;
    QTest::newRow("key byte 255") << 0x01FF << false << 0 << 0;
    QTest::newRow("shift byte 255") << 0xFF41 << false << 0 << 0;
}

void WedgeKeysTest::decodesTheLayoutLookup() {
    QFETCH(int, result);
    QFETCH(bool, found);
    QFETCH(int, virtualKey);
    QFETCH(int, shiftState);
    const auto key = decodeLayoutLookup(result);
    QCOMPARE(key.has_value(), found);
    if (found) QVERIFY(*key == (LayoutKey{virtualKey, shiftState}));
}

void WedgeKeysTest::characterEvents_data() {
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<int>("shiftState");
    QTest::addColumn<Events>("events");
    QTest::newRow("plain") << 0x31 << 0 << Events{down(0x31), up(0x31)};
    QTest::newRow("Shift") << 0x41 << 1 << Events{down(16), down(0x41), up(0x41), up(16)};
    QTest::newRow("AltGr as Ctrl+Alt")
        << 0x51 << 6 << Events{down(17), down(18), down(0x51), up(0x51), up(17), up(18)};
    QTest::newRow("all three in order Shift, Ctrl, Alt")
        << 0x45 << 7
        << Events{down(16), down(17), down(18), down(0x45), up(0x45), up(16), up(17), up(18)};
    QTest::newRow("Alt only") << 0x45 << 4 << Events{down(18), down(0x45), up(0x45), up(18)};
}

void WedgeKeysTest::characterEvents() {
    QFETCH(int, virtualKey);
    QFETCH(int, shiftState);
    QFETCH(Events, events);
    QVERIFY(characterKeyEvents({virtualKey, shiftState}) == events);
}

void WedgeKeysTest::terminatorIsOnePlainPress() {
    QVERIFY(plainKeyEvents(13) == (Events{down(13), up(13)}));
    QVERIFY(plainKeyEvents(11) == (Events{down(11), up(11)}));
}

void WedgeKeysTest::recordingOutputKeepsEveryEvent() {
    RecordingKeyboard keyboard;
    keyboard.beginTransfer("4711\t14:05", {13});
    for (const char c : buildWedgeLine({"4711", "14:05"},
                                       wedgeSeparatorCharacter(WedgeSeparator::HorizontalTab))) {
        keyboard.typeCharacter(c);
    }
    keyboard.pressVirtualKey(terminatorVirtualKey(WedgeTerminator::CR));
    keyboard.endTransfer();

    QCOMPARE(QString::fromStdString(keyboard.transcript()), QString("[4711\t14:05<13>]"));
    QCOMPARE(keyboard.events().size(), 13u);
    QVERIFY(keyboard.events()[11] ==
            (RecordingKeyboard::Event{RecordingKeyboard::Event::VirtualKey, 0, 13}));
    keyboard.clear();
    QVERIFY(keyboard.events().empty());
}

QTEST_APPLESS_MAIN(WedgeKeysTest)
#include "test_wedge_keys.moc"
