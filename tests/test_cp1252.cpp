#include <QString>
#include <QtTest>
#include <string>

#include "tests/file_helpers.h"
#include "text/cp1252.h"
#include "ui/qt_text.h"

using namespace std::string_literals;

namespace {

std::string everyByte() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

}  // namespace

class TestCp1252 : public QObject {
    Q_OBJECT

  private slots:
    void everyByteSurvivesUtf8() {
        const std::string bytes = everyByte();
        const std::string utf8 = cp1252::toUtf8(bytes);
        QVERIFY(utf8.size() > bytes.size());
        QCOMPARE(cp1252::fromUtf8(utf8), bytes);
        QCOMPARE(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())),
                 fromCp1252(bytes));
    }

    void everyByteSurvivesQString() {
        const std::string bytes = everyByte();
        const QString text = fromCp1252(bytes);
        QCOMPARE(text.size(), 256);
        QCOMPARE(toCp1252(text), bytes);
    }

    void mapsTheWindowsCharacters() {
        QCOMPARE(fromCp1252("\x80"), QString(QChar(0x20AC)));
        QCOMPARE(fromCp1252("\x9F"), QString(QChar(0x0178)));
        QCOMPARE(fromCp1252("\x8A\x9C"), QString::fromUtf8("Šœ"));
        QCOMPARE(fromCp1252("\xE4\xDF"), QString::fromUtf8("äß"));
        QCOMPARE(cp1252::toUtf8("\x81"), "\xC2\x81"s);
        QCOMPARE(toCp1252(QString::fromUtf8("€ Ÿ ä")), "\x80 \x9F \xE4"s);
        QCOMPARE(cp1252::fromUtf8("Ω"), "?"s);
        QCOMPARE(toCp1252(QString::fromUtf8("Ω")), "?"s);
        QCOMPARE(cp1252::fromUtf8("a\xFF"
                                  "b"),
                 "a?b"s);
    }

    void malformedUtf8GivesTheReplacement() {
        // Overlong forms (C0 80 would be NUL), surrogates, values past U+10FFFF, a
        // sequence cut short: each malformed part is one replacement, and the bytes that
        // follow are read afresh.
        QCOMPARE(cp1252::fromUtf8("a\xC0\x80"
                                  "b"),
                 "a??b"s);
        QCOMPARE(cp1252::fromUtf8("\xE0\x80\xAF"), "???"s);
        QCOMPARE(cp1252::fromUtf8("\xED\xA0\x80"), "???"s);
        QCOMPARE(cp1252::fromUtf8("\xF4\x90\x80\x80"), "????"s);
        QCOMPARE(cp1252::fromUtf8("\xE2\x82"
                                  "x\xE2\x82\xAC"),
                 "?x\x80"s);
        QCOMPARE(cp1252::fromUtf8("\xF0\x9F\x98"), "?"s);
        // The shortest forms at each boundary are fine.
        QCOMPARE(cp1252::fromUtf8("\xC2\x80\xC3\xBF"), "?\xFF"s);
        QCOMPARE(cp1252::fromUtf8("\xC2\x81"), "\x81"s);
    }

    void upperCaseAsWindowsHasIt() {
        QCOMPARE(cp1252::toUpper('\xE4'), '\xC4');  // ä
        QCOMPARE(cp1252::toUpper('\xFF'), '\x9F');  // ÿ
        QCOMPARE(cp1252::toUpper('\x9A'), '\x8A');  // š
        QCOMPARE(cp1252::toUpper('\xDF'), '\xDF');  // ß has no capital
        QCOMPARE(cp1252::toUpper('\xB5'), '\xB5');  // µ neither
        QCOMPARE(cp1252::toUpper('\xF7'), '\xF7');  // ÷ is no letter
        QCOMPARE(cp1252::toUpper("V_key m\xFCller"), "V_KEY M\xDCLLER"s);
        // Upper case agrees with Unicode wherever the code page holds the capital.
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString upper(fromCp1252(std::string(1, byte)).at(0).toUpper());
            const std::string inCodePage = toCp1252(upper);
            const bool held = fromCp1252(inCodePage) == upper;
            QCOMPARE(std::string(1, cp1252::toUpper(byte)),
                     held ? inCodePage : std::string(1, byte));
        }
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "test_cp1252.moc"
