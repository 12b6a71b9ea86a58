// The CS1504 frame codec: CRC, framing, length-driven reading and packed time stamps.
#include <QtTest>

#include "scanner/cs1504_codec.h"

using namespace cs1504;

namespace {

Bytes bodyOf(const Bytes& frame) {  // between `cmd 02` and the CRC
    return Bytes(frame.begin() + 2, frame.end() - 2);
}

// An interrogate answer: version, status, serial number, software version.
Bytes interrogateAnswer() {
    const Bytes fixed{1,    0,   0x00, 0x1A, 0xFF, 0x07, 0x5C, 0x10, 0x42,
                      0x0B, 'C', 'S',  '1',  '5',  '0',  '4',  'A',  '1'};
    return buildResponse(fixed);
}

Bytes uploadAnswer() {
    const Bytes serial{1, 2, 3, 4, 5, 6, 7, 8};
    return buildResponse(serial,
                         {{0x0B, '4', '0', '0', '6', 0x24, 0x57, 0x1B, 0x1A}, {0x03, 'A'}, {0x01}});
}

}  // namespace

class TestCs1504Codec : public QObject {
    Q_OBJECT

  private slots:
    void crcMatchesThePublishedCheckValue() {
        const Bytes interrogate{0x01, 0x02, 0x00};
        QCOMPARE(crc16(interrogate), uint16_t(0x9FDE));
        QCOMPARE(buildCommand(Command::Interrogate), (Bytes{0x01, 0x02, 0x00, 0x9F, 0xDE}));
    }

    void commandBodiesFollowTheProtocolExamples() {
        const Bytes download =
            buildCommand(Command::DownloadParameters, {{0x1F, 0x01}, {0x20, 0x02}});
        QCOMPARE(download[0], uint8_t(3));
        QCOMPARE(bodyOf(download), (Bytes{0x02, 0x1F, 0x01, 0x02, 0x20, 0x02, 0x00}));
        const Bytes upload = buildCommand(Command::UploadParameters, {{0x02, 0x0F, 0x21}});
        QCOMPARE(bodyOf(upload), (Bytes{0x03, 0x02, 0x0F, 0x21, 0x00}));
        QCOMPARE(bodyOf(buildCommand(Command::SetDefaults, {{0x01}})), (Bytes{0x01, 0x01, 0x00}));
    }

    void responsesParseBackToTheirParts() {
        Frame frame;
        QCOMPARE(parseFrame(uploadAnswer(), 8, Sender::Unit, frame), ParseResult::Complete);
        QCOMPARE(frame.head, status::Ok);
        QCOMPARE(frame.fixed, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(frame.strings.size(), size_t(3));
        QCOMPARE(frame.strings[1], (Bytes{0x03, 'A'}));
        QCOMPARE(frame.strings[2], (Bytes{0x01}));
    }

    void aLoneStatusByteIsAWholeResponse() {
        Frame frame;
        const Bytes crcError{status::CrcError};
        QCOMPARE(bytesStillNeeded(crcError, 0, Sender::Unit), 0L);
        QCOMPARE(parseFrame(crcError, 0, Sender::Unit, frame), ParseResult::Complete);
        QCOMPARE(frame.head, status::CrcError);
        // From the host the same byte starts a command frame.
        QVERIFY(bytesStillNeeded(crcError, 0, Sender::Host) > 0);
    }

    void everyCorruptedByteIsCaught() {
        for (const Bytes& good : {interrogateAnswer(), uploadAnswer()}) {
            const size_t fixed = good.size() == interrogateAnswer().size() ? 18 : 8;
            for (size_t i = 1; i < good.size(); ++i) {
                for (int bit = 0; bit < 8; ++bit) {
                    Bytes bad = good;
                    bad[i] ^= static_cast<uint8_t>(1 << bit);
                    Frame frame;
                    QVERIFY2(parseFrame(bad, fixed, Sender::Unit, frame) != ParseResult::Complete,
                             qPrintable(QString("byte %1 bit %2").arg(i).arg(bit)));
                }
            }
        }
    }

    void lengthsTellHowManyBytesAreStillToCome() {
        const Bytes whole = uploadAnswer();
        for (size_t have = 0; have < whole.size(); ++have) {
            const long needed = bytesStillNeeded(std::span(whole).first(have), 8, Sender::Unit);
            QVERIFY2(needed > 0, qPrintable(QString("after %1 bytes").arg(have)));
            QVERIFY(have + static_cast<size_t>(needed) <= whole.size());
        }
        QCOMPARE(bytesStillNeeded(whole, 8, Sender::Unit), 0L);
        // Asked for exactly what is needed, a reader never reads past the frame.
        Bytes read;
        int reads = 0;
        while (long needed = bytesStillNeeded(read, 8, Sender::Unit)) {
            read.insert(read.end(), whole.begin() + static_cast<long>(read.size()),
                        whole.begin() + static_cast<long>(read.size()) + needed);
            ++reads;
        }
        QCOMPARE(read, whole);
        QVERIFY(reads < static_cast<int>(whole.size()));
        // The barcodes among the bytes that have arrived: whole counted strings only.
        const std::span all(whole);
        QCOMPARE(wholeCountedStrings(all.first(19), 8), size_t(0));
        QCOMPARE(wholeCountedStrings(all.first(20), 8), size_t(1));
        QCOMPARE(wholeCountedStrings(all.first(24), 8), size_t(2));
        QCOMPARE(wholeCountedStrings(all, 8), size_t(3));
    }

    void impossibleFramesAreRecognisedEarly() {
        QCOMPARE(bytesStillNeeded(Bytes{0x06, 0x03}, 0, Sender::Unit), kMalformed);
        QCOMPARE(bytesStillNeeded(Bytes{0x06, 0x02, 251}, 0, Sender::Unit), kMalformed);
        // 25 strings of 250 bytes would exceed the largest response.
        Bytes huge{0x06, 0x02};
        for (int i = 0; i < 25; ++i) {
            huge.push_back(250);
            huge.insert(huge.end(), 250, 'x');
        }
        QCOMPARE(bytesStillNeeded(huge, 0, Sender::Unit), kMalformed);
        QCOMPARE(bytesStillNeeded(Bytes{0x03, 0x02, 70}, 0, Sender::Host), kMalformed);
        Frame frame;
        Bytes trailing = interrogateAnswer();
        trailing.push_back(0);
        QCOMPARE(parseFrame(trailing, 18, Sender::Unit, frame), ParseResult::Malformed);
        QCOMPARE(completeFrameSize(trailing, 18, Sender::Unit), interrogateAnswer().size());
        QCOMPARE(parseFrame(std::span(trailing).first(10), 18, Sender::Unit, frame),
                 ParseResult::Incomplete);
    }

    void timeStampsPackAsTheUnitStoresThem() {
        // 2026-12-06 14:05:09: year 26, month 12 << 6, day 6 << 10, hour 14 << 15,
        // minute 5 << 20, second 9 << 26.
        const uint32_t stamp = packTimeStamp(2026, 12, 6, 14, 5, 9);
        QCOMPARE(stamp, uint32_t(0x24571B1A));
        QCOMPARE(timeStampBytes(stamp), (std::array<uint8_t, 4>{0x24, 0x57, 0x1B, 0x1A}));
        const uint8_t bytes[] = {0x24, 0x57, 0x1B, 0x1A};
        QCOMPARE(timeStampFromBytes(bytes), stamp);
        QCOMPARE(unpackTimeStamp(stamp), (TimeStampFields{2026, 12, 6, 14, 5, 9}));
    }

    void timeStampFieldsSurviveAtTheirLimits() {
        const TimeStampFields highest{2063, 15, 31, 31, 63, 63};
        const uint32_t stamp = packTimeStamp(highest.year, highest.month, highest.day, highest.hour,
                                             highest.minute, highest.second);
        QCOMPARE(stamp, uint32_t(0xFFFFFFFF));
        QCOMPARE(unpackTimeStamp(stamp), highest);
        QCOMPARE(unpackTimeStamp(0), (TimeStampFields{2000, 0, 0, 0, 0, 0}));
    }

    void timeStampTextHasTimeThenDateAtFixedPlaces() {
        const std::string text = timeStampText(packTimeStamp(2026, 12, 6, 14, 5, 9));
        QCOMPARE(QString::fromStdString(text), QString("14:05:09    12/06/26"));
        QCOMPARE(QString::fromStdString(timeStampText(packTimeStamp(2000, 1, 2, 0, 0, 7))),
                 QString("00:00:07    01/02/00"));
    }
};

QTEST_APPLESS_MAIN(TestCs1504Codec)
#include "test_cs1504_codec.moc"
