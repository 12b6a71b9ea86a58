#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <string>
#include <vector>

#include "formats/scanner_list.h"
#include "tests/file_helpers.h"

using namespace std::string_literals;
using Rows = std::vector<std::string>;

Q_DECLARE_METATYPE(Rows)

class TestScannerList : public QObject {
    Q_OBJECT

  private slots:
    void parsesRows_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Rows>("rows");
        // The line whose NUL byte ended the reading, 0 for none.
        QTest::addColumn<int>("cutAtLine");
        QTest::newRow("empty file") << QByteArray() << Rows{} << 0;
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << Rows{"a", "b"} << 0;
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << Rows{"a", "b"} << 0;
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << Rows{"a", "b"} << 0;
        QTest::newRow("mixed") << QByteArray("a\rb\nc\r\nd") << Rows{"a", "b", "c", "d"} << 0;
        QTest::newRow("no final line end") << QByteArray("a\r\nlast") << Rows{"a", "last"} << 0;
        QTest::newRow("empty middle row") << QByteArray("a\r\n\r\nb") << Rows{"a", "", "b"} << 0;
        QTest::newRow("LF then CR") << QByteArray("a\n\rb") << Rows{"a", "", "b"} << 0;
        QTest::newRow("only a line end") << QByteArray("\r\n") << Rows{""} << 0;
        QTest::newRow("empty last row") << QByteArray("a\r\n\r\n") << Rows{"a", ""} << 0;
        QTest::newRow("NUL ends reading")
            << QByteArray("a\r\nb\0c\r\nd", 10) << Rows{"a", "b"} << 2;
        QTest::newRow("NUL first") << QByteArray("\0a\r\n", 4) << Rows{} << 1;
        QTest::newRow("NUL after every kind of line end")
            << QByteArray("a\r\nb\rc\nd\r\0e", 11) << Rows{"a", "b", "c", "d"} << 5;
        QTest::newRow("cp1252 bytes")
            << QByteArray("0102;M\xFC;J\xF6rg \x80\r\n") << Rows{"0102;M\xFC;J\xF6rg \x80"} << 0;
    }
    void parsesRows() {
        QFETCH(QByteArray, bytes);
        QFETCH(Rows, rows);
        QFETCH(int, cutAtLine);
        const std::string_view view(bytes.constData(), bytes.size());
        QCOMPARE(parseScannerList(view), rows);
        QCOMPARE(scannerListCutLine(view), cutAtLine);
    }

    void serializesEveryRowWithCrLf() {
        QCOMPARE(serializeScannerList({}), ""s);
        QCOMPARE(serializeScannerList({"0011223344556677;AB;Lager", "", "x"}),
                 "0011223344556677;AB;Lager\r\n\r\nx\r\n"s);
        const Rows rows = {"a;b;c", "", "M\xFCller", ";;"};
        QCOMPARE(parseScannerList(serializeScannerList(rows)), rows);
    }

    void readsFields_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<int>("n");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("serial") << QByteArray("0011;AB;Name") << 0 << QByteArray("0011");
        QTest::newRow("id") << QByteArray("0011;AB;Name") << 1 << QByteArray("AB");
        QTest::newRow("name") << QByteArray("0011;AB;Name") << 2 << QByteArray("Name");
        QTest::newRow("whole row without separator")
            << QByteArray("0011") << 0 << QByteArray("0011");
        QTest::newRow("beyond the last separator") << QByteArray("0011") << 1 << QByteArray();
        QTest::newRow("name of a two-field row") << QByteArray("0011;AB") << 2 << QByteArray();
        QTest::newRow("empty id") << QByteArray("0011;;Name") << 1 << QByteArray();
        QTest::newRow("name cut at its ';'")
            << QByteArray("0011;AB;Na;me") << 2 << QByteArray("Na");
        QTest::newRow("fourth field") << QByteArray("0011;AB;Na;me") << 3 << QByteArray("me");
        QTest::newRow("empty row") << QByteArray() << 0 << QByteArray();
        QTest::newRow("negative index") << QByteArray("a;b") << -1 << QByteArray();
    }
    void readsFields() {
        QFETCH(QByteArray, row);
        QFETCH(int, n);
        QFETCH(QByteArray, field);
        QCOMPARE(scannerRowField(row.toStdString(), n), field.toStdString());
    }

    void writesFields_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<int>("n");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("name of a serial-only row")
            << QByteArray("0011") << 2 << QByteArray("Lager") << QByteArray("0011;;Lager");
        QTest::newRow("id of a serial-only row")
            << QByteArray("0011") << 1 << QByteArray("AB") << QByteArray("0011;AB");
        QTest::newRow("replace id") << QByteArray("0011;AB;Lager") << 1 << QByteArray("XYZ")
                                    << QByteArray("0011;XYZ;Lager");
        QTest::newRow("replace serial")
            << QByteArray("0011;AB") << 0 << QByteArray("ffee") << QByteArray("ffee;AB");
        QTest::newRow("clear id") << QByteArray("0011;AB;Lager") << 1 << QByteArray()
                                  << QByteArray("0011;;Lager");
        QTest::newRow("name keeps later fields")
            << QByteArray("0011;AB;Old;rest") << 2 << QByteArray("New")
            << QByteArray("0011;AB;New;rest");
        QTest::newRow("name into id-ending row")
            << QByteArray("0011;AB;") << 2 << QByteArray("N") << QByteArray("0011;AB;N");
        QTest::newRow("empty row") << QByteArray() << 2 << QByteArray("N") << QByteArray(";;N");
        QTest::newRow("text with ';' unchanged")
            << QByteArray("0011;AB;Old") << 2 << QByteArray("Meier;Sohn")
            << QByteArray("0011;AB;Meier;Sohn");
        QTest::newRow("negative index")
            << QByteArray("a;b") << -1 << QByteArray("x") << QByteArray("a;b");
    }
    void writesFields() {
        QFETCH(QByteArray, row);
        QFETCH(int, n);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, result);
        std::string edited = row.toStdString();
        setScannerRowField(edited, n, text.toStdString());
        QCOMPARE(edited, result.toStdString());
        if (n >= 0 && !text.contains(';')) QCOMPARE(scannerRowField(edited, n), text.toStdString());
    }

    void nameWithSeparatorReadsBackCut() {
        std::string row = "0011223344556677";
        setScannerRowField(row, 1, "AB");
        setScannerRowField(row, 2, "Meier;Sohn");
        QCOMPARE(scannerRowField(row, 2), "Meier"s);
        QCOMPARE(scannerRowField(row, 3), "Sohn"s);
        QCOMPARE(scannerRowField(row, 1), "AB"s);
    }

    void savesAndLoadsFiles() {
        QTemporaryDir dir;
        const std::string path = nativePath(dir.filePath("LVserial.dat"));
        const Rows rows = {"0011223344556677;AB;Lager", "8899aabbccddeeff",
                           "0102030405060708;;M\xFC"};
        std::string error;
        QVERIFY(saveScannerList(path, rows, &error));
        QCOMPARE(fileBytes(dir.filePath("LVserial.dat")),
                 "0011223344556677;AB;Lager\r\n8899aabbccddeeff\r\n0102030405060708;;M\xFC\r\n"s);
        const auto loaded = loadScannerList(path, &error);
        QVERIFY(loaded.has_value());
        QCOMPARE(*loaded, rows);

        QVERIFY(saveScannerList(path, {}, &error));
        QCOMPARE(fileBytes(dir.filePath("LVserial.dat")), ""s);
        QCOMPARE(loadScannerList(path, &error).value_or(Rows{"<failed>"}), Rows{});

        QVERIFY(putFile(dir.filePath("LVserial.dat"), "a\nb"));
        QCOMPARE(loadScannerList(path, &error).value_or(Rows{"<failed>"}), (Rows{"a", "b"}));
    }

    void reportsFilesThatCannotBeOpened() {
        QTemporaryDir dir;
        const std::string missing = nativePath(dir.filePath("LVserial.dat"));
        std::string error;
        bool wasMissing = false;
        QVERIFY(!loadScannerList(missing, &error, &wasMissing).has_value());
        QCOMPARE(error, "Cannot open file " + missing);
        QVERIFY(wasMissing);

        // There, but not readable as a file: the program must not save over it.
        const std::string folder = nativePath(dir.path());
        error.clear();
        QVERIFY(!loadScannerList(folder, &error, &wasMissing).has_value());
        QCOMPARE(error, "Cannot open file " + folder);
        QVERIFY(!wasMissing);

        const std::string nowhere = nativePath(dir.filePath("gone/LVserial.dat"));
        error.clear();
        QVERIFY(!saveScannerList(nowhere, {"a"}, &error));
        QCOMPARE(error, "Cannot create file " + nowhere);
    }

    void failedSaveKeepsOldList() {
        QTemporaryDir dir;
        const QString path = dir.filePath("LVserial.dat");
        const std::string original = "0011223344556677;AB;Lager\r\n";
        QVERIFY(putFile(path, original));
        QVERIFY(openFolderToAll(dir.path(), false));
        bool saved = true;
        std::string error;
        {
            WithoutRootPrivileges unprivileged;
            if (!unprivileged.unprivileged()) QSKIP("permissions cannot be taken away here");
            saved = saveScannerList(nativePath(path), {"ffffffffffffffff"}, &error);
        }
        QVERIFY(closeFolder(dir.path()));
        QVERIFY(!saved);
        QCOMPARE(error, "Cannot create file " + nativePath(path));
        QCOMPARE(fileBytes(path), original);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"LVserial.dat"});
    }
};

QTEST_GUILESS_MAIN(TestScannerList)
#include "test_scanner_list.moc"
