// The data file: counter names, the block a save writes, and writing it to real files.
#include <unistd.h>

#include <QtTest>

#include "file_helpers.h"
#include "formats/data_file.h"

class DataFileTest : public QObject {
    Q_OBJECT
  private slots:
    void counterGoesBeforeTheExtension() {
        QCOMPARE(counterFileName("C:\\Daten\\Data.txt", 7), std::string("C:\\Daten\\Data_7.txt"));
        QCOMPARE(counterFileName("/home/u/Data.txt", 0), std::string("/home/u/Data_0.txt"));
        QCOMPARE(counterFileName("Data", 12), std::string("Data_12"));
        QCOMPARE(counterFileName("C:\\my.dir\\data", 3), std::string("C:\\my.dir\\data_3"));
        QCOMPARE(counterFileName("/tmp/my.dir/data", 3), std::string("/tmp/my.dir/data_3"));
        QCOMPARE(counterFileName("a.b.csv", 1), std::string("a.b_1.csv"));
        QCOMPARE(counterFileName("", 5), std::string("_5"));
    }

    void blockHoldsRecordThenRows() {
        const std::string record = "AB12;Lager\r\n";
        QCOMPARE(dataFileBlock(record, true, {"1;x", "2;y"}),
                 std::string("AB12;Lager\r\n1;x\r\n2;y\r\n"));
        QCOMPARE(dataFileBlock(record, false, {"1"}), std::string("1\r\n"));
        QCOMPARE(dataFileBlock(record, true, {}), record);
        QCOMPARE(dataFileBlock("", true, {}), std::string());
        // A row of any length is written whole.
        const std::string longRow(5000, 'x');
        QCOMPARE(dataFileBlock("", false, {longRow}).size(), size_t(5002));
    }

    void overwriteLeavesExactlyTheNewContent() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Data.txt");
        putFile(path, std::string(1000, 'o'));
        std::string reason;
        QVERIFY(writeDataFile(path.toStdString(), "new\r\n", false, reason));
        QCOMPARE(fileBytes(path), std::string("new\r\n"));
        QVERIFY(writeDataFile(path.toStdString(), "", false, reason));
        QCOMPARE(fileBytes(path), std::string());
    }

    void appendCreatesAndExtends() {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing.txt");
        std::string reason;
        QVERIFY(writeDataFile(path.toStdString(), "a\r\n", true, reason));
        QVERIFY(writeDataFile(path.toStdString(), "b\xE4\r\n", true, reason));
        QCOMPARE(fileBytes(path), std::string("a\r\nb\xE4\r\n"));
    }

    void failuresAreReportedInGerman() {
        QTemporaryDir dir;
        std::string reason;
        QVERIFY(!writeDataFile("", "x", false, reason));
        QVERIFY(QString::fromStdString(reason).contains("Dateiname"));
        QVERIFY(
            !writeDataFile(dir.filePath("no/such/dir/Data.txt").toStdString(), "x", false, reason));
        QCOMPARE(reason, std::string("Der Ordner existiert nicht."));
        QVERIFY(!writeDataFile(dir.path().toStdString(), "x", true, reason));
        QVERIFY(!reason.empty());
    }

    // Replacing goes through a new file; a data file that may not be written, or one with
    // a second name, is not replaced behind its back. A link leads to the file it names.
    void replacingKeepsTheFilesAccessAndNames() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Data.txt");
        QVERIFY(putFile(path, "protected\r\n"));
        const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto writable = readOnly | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        QVERIFY(QFile::setPermissions(path, readOnly));
        std::string reason;
        QVERIFY(openFolderToAll(dir.path(), true));
        {
            WithoutRootPrivileges user;
            if (!user.unprivileged()) QSKIP("permissions do not apply to this user");
            QVERIFY(!writeDataFile(nativePath(path), "new\r\n", false, reason));
            QCOMPARE(reason, std::string("Keine Berechtigung zum Schreiben."));
        }
        QCOMPARE(fileBytes(path), std::string("protected\r\n"));
        // A folder that takes no new file: the file is written where it is.
        QVERIFY(QFile::setPermissions(path, writable));
        QVERIFY(openFolderToAll(dir.path(), false));
        {
            WithoutRootPrivileges user;
            QVERIFY(writeDataFile(nativePath(path), "in place\r\n", false, reason));
        }
        QCOMPARE(fileBytes(path), std::string("in place\r\n"));
        QVERIFY(closeFolder(dir.path()));

        const QString link = dir.filePath("link.txt");
        QVERIFY(QFile::link(path, link));
        QVERIFY(writeDataFile(nativePath(link), "through\r\n", false, reason));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileBytes(path), std::string("through\r\n"));
        const QString second = dir.filePath("second name.txt");
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(second).constData()),
                 0);
        QVERIFY(writeDataFile(nativePath(path), "both\r\n", false, reason));
        QCOMPARE(fileBytes(second), std::string("both\r\n"));

        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
    }

    void fullDiskFailsAndKeepsEarlierContent() {
        if (!QFile::exists("/dev/full")) QSKIP("no /dev/full on this system");
        std::string reason;
        QVERIFY(!writeDataFile("/dev/full", "x\r\n", true, reason));
        QCOMPARE(reason, std::string("Der Datenträger ist voll."));
    }
};

QTEST_GUILESS_MAIN(DataFileTest)
#include "test_data_file.moc"
