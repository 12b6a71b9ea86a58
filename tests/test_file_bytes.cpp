#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "formats/file_bytes.h"
#include "tests/file_helpers.h"

using namespace std::string_literals;

class TestFileBytes : public QObject {
    Q_OBJECT

  private slots:
    void readsBytesExactly() {
        QTemporaryDir dir;
        const QString path = dir.filePath("bytes.bin");
        std::string all;
        for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
        all += std::string(40000, '\r');  // more than one read buffer
        QVERIFY(putFile(path, all));
        bool missing = true;
        QCOMPARE(readFileBytes(nativePath(path), &missing).value_or("<failed>"), all);
        QVERIFY(!missing);
    }

    void tellsMissingFromUnreadable() {
        QTemporaryDir dir;
        bool missing = false;
        QVERIFY(!readFileBytes(nativePath(dir.filePath("absent")), &missing).has_value());
        QVERIFY(missing);
        QVERIFY(putFile(dir.filePath("file"), "x"));
        missing = false;
        QVERIFY(!readFileBytes(nativePath(dir.filePath("file/absent")), &missing).has_value());
        QVERIFY(missing);
        missing = true;
        QVERIFY(!readFileBytes(nativePath(dir.path()), &missing).has_value());
        QVERIFY(!missing);
    }

    void replacesWholeFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.txt");
        const std::string target = nativePath(path);
        QVERIFY(writeFileAtomically(target, "a long first content\r\n"));
        QVERIFY(writeFileAtomically(target, "short"s));
        QCOMPARE(fileBytes(path), "short"s);
        QVERIFY(writeFileAtomically(target, ""));
        QVERIFY(QFile::exists(path));
        QCOMPARE(fileBytes(path), ""s);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.txt"});
    }

    void keepsPermissionsOfOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.txt");
        QVERIFY(putFile(path, "old"));
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, permissions));
        QVERIFY(writeFileAtomically(nativePath(path), "new"));
        QCOMPARE(fileBytes(path), "new"s);
        QCOMPARE(QFile::permissions(path) & 0x7077, permissions & 0x7077);  // owner, group, others
    }

    void replacesLeftoverTemporaryFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.txt");
        const QString temporary = QString::fromStdString(temporaryFileFor(nativePath(path)));
        QVERIFY(putFile(temporary, "stale leftover of a crash"));
        QVERIFY(writeFileAtomically(nativePath(path), "fresh"));
        QCOMPARE(fileBytes(path), "fresh"s);
        QVERIFY(!QFile::exists(temporary));

        // A link left under the temporary name must not be written through.
        const QString other = dir.filePath("other.txt");
        QVERIFY(putFile(other, "untouched"));
        QVERIFY(QFile::link(other, temporary));
        QVERIFY(writeFileAtomically(nativePath(path), "again"));
        QCOMPARE(fileBytes(path), "again"s);
        QCOMPARE(fileBytes(other), "untouched"s);
    }

    void failureLeavesOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.txt");
        QVERIFY(putFile(path, "old"));
        const QString temporary = QString::fromStdString(temporaryFileFor(nativePath(path)));
        QVERIFY(QDir().mkpath(temporary + "/blocker"));
        std::string reason;
        QVERIFY(!writeFileAtomically(nativePath(path), "new", &reason));
        QVERIFY(!reason.empty());
        QCOMPARE(fileBytes(path), "old"s);
        QVERIFY(QFile::exists(temporary + "/blocker"));

        reason.clear();
        QVERIFY(!writeFileAtomically(nativePath(dir.filePath("missing/out.txt")), "new", &reason));
        QVERIFY(!reason.empty());

        // Renaming onto a folder fails after the temporary file was written; it is removed.
        const QString folder = dir.filePath("folder");
        QVERIFY(QDir().mkpath(folder + "/inside"));
        reason.clear();
        QVERIFY(!writeFileAtomically(nativePath(folder), "new", &reason));
        QVERIFY(!reason.empty());
        QVERIFY(!QFile::exists(QString::fromStdString(temporaryFileFor(nativePath(folder)))));
        QVERIFY(QFile::exists(folder + "/inside"));
    }
};

QTEST_GUILESS_MAIN(TestFileBytes)
#include "test_file_bytes.moc"
