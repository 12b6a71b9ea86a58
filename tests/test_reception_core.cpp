// Barcode lines, serial numbers, packets and time stamp texts of a reception.
#include <QtTest>

#include "formats/reception.h"
#include "text/clock.h"
#include "text/date_time_format.h"
#include "text/delimited_text.h"

class ReceptionCoreTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        dateTimeFormat() = DateTimeFormat{};
        setClock([] { return LocalDateTime{2026, 12, 7, 10, 0, 0, 0}; });
    }
    void cleanup() { setClock({}); }

    void serialNumberIsLowercaseHexWithLeadingZeros() {
        const uint8_t bytes[8] = {0x00, 0x1A, 0xFF, 0x07, 0x0A, 0x0F, 0x10, 0x9C};
        QCOMPARE(serialNumberText(bytes), std::string("001aff070a0f109c"));
    }

    void packetBarcodeStopsAtStampAndZero() {
        const uint8_t stamped[] = {9, 0x0B, '4', '0', '1', 0x11, 0x22, 0x33, 0x44, 0x55};
        QCOMPARE(packetBarcode(stamped, 10, true), std::string("401\x11"));
        QCOMPARE(packetBarcode(stamped, 10, false), std::string("401\x11\x22\x33\x44\x55"));
        const uint8_t withZero[] = {7, 0x01, 'A', 0, 'B', 1, 2, 3};
        QCOMPARE(packetBarcode(withZero, 8, false), std::string("A"));
        // A 6-byte packet with a stamp holds an empty barcode.
        const uint8_t empty[] = {5, 0x01, 1, 2, 3, 4};
        QCOMPARE(packetBarcode(empty, 6, true), std::string());
    }

    void packetUseByLengthAndStamps() {
        // Without time stamps every packet from 3 bytes on carries at least one character.
        QCOMPARE(packetUse(3, false), PacketUse::Row);
        QCOMPARE(packetUse(5, false), PacketUse::Row);
        QCOMPARE(packetUse(2, false), PacketUse::Empty);
        // With them, a packet too short for its 4 stamp bytes cannot be read.
        QCOMPARE(packetUse(6, true), PacketUse::Row);
        QCOMPARE(packetUse(5, true), PacketUse::Unread);
        QCOMPARE(packetUse(3, true), PacketUse::Unread);
        QCOMPARE(packetUse(2, true), PacketUse::Empty);
        // A packet the library could not deliver.
        QCOMPARE(packetUse(-3, false), PacketUse::Unread);
        QCOMPARE(packetUse(-1, true), PacketUse::Unread);
    }

    void dataFormatColumnsPerOption() {
        DataFormatColumns c;
        QVERIFY(dataFormatColumns(DataFormat::TimeAndDate, c));
        QCOMPARE(c.caption1, std::string("Zeit"));
        QCOMPARE(c.caption2, std::string("Datum"));
        QCOMPARE(c.columnCount, 3);
        QVERIFY(dataFormatColumns(DataFormat::Date, c));
        QCOMPARE(c.caption1, std::string("Datum"));
        QCOMPARE(c.columnCount, 2);
        QVERIFY(dataFormatColumns(DataFormat::BarcodeOnly, c));
        QCOMPARE(c.columnCount, 1);
        c.columnCount = 42;
        QVERIFY(!dataFormatColumns(DataFormat(4), c));
        QVERIFY(!dataFormatColumns(DataFormat(-1), c));
        QCOMPARE(c.columnCount, 42);
    }

    void timeStampTextDecodesAndLeavesFormatsChanged() {
        LocalDateTime value;
        QVERIFY(decodeTimeStampText("14:05:09    12/06/26", value));
        QCOMPARE(value, (LocalDateTime{2026, 12, 6, 14, 5, 9, 0}));
        QCOMPARE(dateTimeFormat().shortDateFormat, std::string("DD.MM.YYYY"));
        QCOMPARE(dateTimeFormat().dateSeparator, '/');
        QCOMPARE(dateTimeFormat().timeSeparator, ':');
        QCOMPARE(formatShortDate(value), std::string("06.12.2026"));
        QCOMPARE(formatLongTime(value), std::string("14:05:09"));
    }

    void twoDigitYearsFallInTheWindowBeforeNow() {
        LocalDateTime v;
        QVERIFY(decodeTimeStampText("00:00:00    01/01/75", v));
        QCOMPARE(v.year, 2075);
        QVERIFY(decodeTimeStampText("00:00:00    01/01/76", v));
        QCOMPARE(v.year, 1976);
        QVERIFY(decodeTimeStampText("00:00:00    02/29/00", v));
        QCOMPARE(v.year, 2000);
        QCOMPARE(v.day, 29);
    }

    void amPmAndBlanksAreAccepted() {
        LocalDateTime v;
        QVERIFY(decodeTimeStampText(" 2:05:09 PM 07/04/26", v));
        QCOMPARE(v.hour, 14);
        QVERIFY(decodeTimeStampText("12:00:00 AM 07/04/26", v));
        QCOMPARE(v.hour, 0);
    }

    void brokenTimeStampTextsAreRefused() {
        LocalDateTime v{1999, 1, 1, 1, 1, 1, 0};
        const LocalDateTime before = v;
        QVERIFY(!decodeTimeStampText("14:05:09    13/06/26", v));  // month 13
        QVERIFY(!decodeTimeStampText("14:05:09    02/30/26", v));  // 30 February
        QVERIFY(!decodeTimeStampText("25:05:09    12/06/26", v));  // hour 25
        QVERIFY(!decodeTimeStampText("14:61:09    12/06/26", v));
        QVERIFY(!decodeTimeStampText("garbage", v));
        QVERIFY(!decodeTimeStampText("", v));
        QVERIFY(!decodeTimeStampText("14-05-09    12/06/26", v));
        QCOMPARE(v, before);
        // A refused date leaves the rows' date format as it was.
        QVERIFY(!decodeTimeStampText("14:05:09    13/06/26", v));
        QCOMPARE(formatShortDate(LocalDateTime{2026, 12, 6, 0, 0, 0, 0}),
                 std::string("06.12.2026"));
    }

    void barcodeLinesFollowTheOption() {
        const LocalDateTime stamp{2026, 12, 6, 14, 5, 9, 0};
        LocalDateTime ignored;
        QVERIFY(decodeTimeStampText("14:05:09    12/06/26", ignored));
        QCOMPARE(barcodeLine("4006381333931", ";", DataFormat::TimeAndDate, stamp),
                 std::string("4006381333931;14:05:09;06.12.2026"));
        QCOMPARE(barcodeLine("ABC", ";", DataFormat::Time, stamp), std::string("ABC;14:05:09"));
        QCOMPARE(barcodeLine("ABC", ";", DataFormat::Date, stamp), std::string("ABC;06.12.2026"));
        QCOMPARE(barcodeLine("ABC", ";", DataFormat::BarcodeOnly, stamp), std::string("ABC"));
        QCOMPARE(barcodeLine("ABC", ";", DataFormat(-1), stamp), std::string("ABC"));
        // The whole separator text goes between the columns.
        QCOMPARE(barcodeLine("ABC", "||", DataFormat::Time, stamp), std::string("ABC||14:05:09"));
    }

    void delimitedFieldsReadAndWrite() {
        QCOMPARE(delimitedField("a;b;c", ';', 0), std::string("a"));
        QCOMPARE(delimitedField("a;b;c", ';', 2), std::string("c"));
        QCOMPARE(delimitedField("a;b;c", ';', 3), std::string());
        QCOMPARE(delimitedField("abc", ';', 0), std::string("abc"));
        QCOMPARE(delimitedField("abc;", ';', 1), std::string());
        std::string row = "0011223344556677";
        setDelimitedField(row, ';', 2, "Lager");
        QCOMPARE(row, std::string("0011223344556677;;Lager"));
        setDelimitedField(row, ';', 1, "AB12");
        QCOMPARE(row, std::string("0011223344556677;AB12;Lager"));
        setDelimitedField(row, ';', 1, "");
        QCOMPARE(row, std::string("0011223344556677;;Lager"));
        setDelimitedField(row, ';', 2, "a;b");
        QCOMPARE(delimitedField(row, ';', 2), std::string("a"));
        QCOMPARE(delimitedField(row, ';', 3), std::string("b"));
    }
};

QTEST_GUILESS_MAIN(ReceptionCoreTest)
#include "test_reception_core.moc"
