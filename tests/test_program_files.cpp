// Where the program keeps its files: beside the executable when it runs from a folder of its
// own, in the user's folders when it is installed, and what happens when the settings folder
// cannot be made. The settings store's own start and end read and write the files.
#include <sys/stat.h>

#include <QComboBox>
#include <QDirIterator>
#include <QtTest>
#include <cstring>

#include "app/program_files.h"
#include "file_helpers.h"
#include "shell_fakes.h"
#include "system/program_dir.h"
#include "testing/message_box_recorder.h"
#include "ui/message_box.h"
#include "windows/application.h"
#include "windows/config_form.h"

namespace {
int modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

// The program's files anywhere below `folder`, relative to it.
QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, {"LVconfig.ini", "LVserial.dat", "Param.dat", "Data.txt"},
                    QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}
}  // namespace

class ProgramFilesTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QByteArray home_, configHome_;
    QString path(const QString& name) const { return dir_.filePath(name); }

    // An installed tree under `prefix`: the executable's folder and the program's data folder.
    QString installedBin() {
        const QString bin = path("prefix/bin");
        if (!QDir().mkpath(bin + "/" + installedDataFolder())) return {};
        return bin;
    }

    // The program's start and end as far as its files go: the settings store loads them, a
    // setting is changed, and the end of the run saves them. Returns the messages of the start.
    std::vector<MessageBoxRequest> runOnce(MessageBoxRecorder& boxes) {
        InstalledHotkeys hotkeys;
        createApplicationWindows();
        const std::vector<MessageBoxRequest> atStart = boxes.shown();
        ConfigForm->cbPortID->setCurrentIndex(4);
        boxes.clear();
        destroyApplicationWindows();
        return atStart;
    }

  private slots:
    void initTestCase() {
        home_ = qgetenv("HOME");
        configHome_ = qgetenv("XDG_CONFIG_HOME");
    }
    void init() {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(path("home")));
        qputenv("HOME", QFile::encodeName(path("home")));
        qunsetenv("XDG_CONFIG_HOME");
    }
    void cleanupTestCase() {
        qputenv("HOME", home_);
        if (configHome_.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", configHome_);
    }

    void fromAFolderOfItsOwnEverythingStaysBesideTheExecutable() {
        // A build tree, or the program folder copied elsewhere: no data folder beside.
        QVERIFY(QDir().mkpath(path("build/app")));
        QVERIFY(putFile(path("build/app/LVserial.dat"), "0011223344556677;AB;Lager\r\n"));
        MessageBoxRecorder boxes;
        setUpProgramFiles(path("build/app"));
        QVERIFY(boxes.shown().empty());
        QCOMPARE(programDirectory(), nativePath(path("build/app/")));
        QCOMPARE(dataDirectory(), programDirectory());
        runOnce(boxes);
        QVERIFY(boxes.shown().empty());
        QCOMPARE(filesBelow(path("build")),
                 QStringList({"app/LVconfig.ini", "app/LVserial.dat", "app/Param.dat"}));
        QVERIFY(fileBytes(path("build/app/LVconfig.ini"))
                    .find("PathAndName=" + nativePath(path("build/app/Data.txt")) + "\r\n") !=
                std::string::npos);
        QVERIFY(!QFile::exists(path("home/.config")));
    }

    void installedItKeepsItsFilesInTheUsersFolders_data() {
        QTest::addColumn<QString>("configHome");  // XDG_CONFIG_HOME, below the test folder
        QTest::addColumn<QString>("documents");   // a documents folder the user has
        QTest::addColumn<QString>("userDirs");    // the desktop's user-dirs.dirs
        QTest::addColumn<QString>("settingsFolder");
        QTest::addColumn<QString>("dataFolder");
        QTest::newRow("XDG_CONFIG_HOME set") << "xdg"
                                             << "home/Documents"
                                             << ""
                                             << "xdg/lorvant"
                                             << "home/Documents";
        QTest::newRow("XDG_CONFIG_HOME unset") << ""
                                               << "home/Documents"
                                               << ""
                                               << "home/.config/lorvant"
                                               << "home/Documents";
        // A relative value is invalid and does not count.
        QTest::newRow("XDG_CONFIG_HOME relative") << "relative"
                                                  << ""
                                                  << ""
                                                  << "home/.config/lorvant"
                                                  << "home";
        QTest::newRow("German documents folder") << ""
                                                 << "home/Dokumente"
                                                 << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                                                 << "home/.config/lorvant"
                                                 << "home/Dokumente";
        QTest::newRow("no documents folder") << ""
                                             << ""
                                             << ""
                                             << "home/.config/lorvant"
                                             << "home";
    }
    void installedItKeepsItsFilesInTheUsersFolders() {
        QFETCH(QString, configHome);
        QFETCH(QString, documents);
        QFETCH(QString, userDirs);
        QFETCH(QString, settingsFolder);
        QFETCH(QString, dataFolder);
        if (configHome == "relative")
            qputenv("XDG_CONFIG_HOME", "relative/config");
        else if (!configHome.isEmpty())
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(configHome)));
        if (!documents.isEmpty()) QVERIFY(QDir().mkpath(path(documents)));
        if (!userDirs.isEmpty()) {
            QVERIFY(QDir().mkpath(path("home/.config")));
            QVERIFY(putFile(path("home/.config/user-dirs.dirs"), userDirs.toStdString()));
        }
        const QString bin = installedBin();
        QVERIFY(!bin.isEmpty());

        MessageBoxRecorder boxes;
        setUpProgramFiles(bin);
        QVERIFY(boxes.shown().empty());
        QCOMPARE(programDirectory(), nativePath(path(settingsFolder) + "/"));
        QCOMPARE(dataDirectory(), nativePath(path(dataFolder) + "/"));
        // Made on first use, for the user alone.
        QCOMPARE(modeOf(path(settingsFolder)), 0700);
        if (userDirs.isEmpty() && configHome != "xdg") QCOMPARE(modeOf(path("home/.config")), 0700);

        // The first run starts with an empty scanner list, and says nothing of a missing one.
        QCOMPARE(runOnce(boxes).size(), size_t(0));
        QVERIFY(boxes.shown().empty());
        QStringList expected = {"LVconfig.ini", "LVserial.dat", "Param.dat"};
        QCOMPARE(filesBelow(path(settingsFolder)), expected);
        QVERIFY(fileBytes(path(settingsFolder + "/LVconfig.ini"))
                    .find("[DataFile]\r\nPathAndName=" +
                          nativePath(path(dataFolder + "/Data.txt")) + "\r\n") == 0);
        QVERIFY(fileBytes(path(settingsFolder + "/LVconfig.ini")).find("Port=4\r\n") !=
                std::string::npos);
        // Nothing under the prefix, whoever runs the program (the tests run as root on CI).
        QCOMPARE(filesBelow(path("prefix")), QStringList());
        QVERIFY(!QFile::exists(path("relative")));

        // A scanner list gone from beside the settings is reported, not made up.
        QVERIFY(QFile::remove(path(settingsFolder + "/LVserial.dat")));
        setUpProgramFiles(bin);
        const std::vector<MessageBoxRequest> atStart = runOnce(boxes);
        QCOMPARE(atStart.size(), size_t(1));
        QCOMPARE(atStart[0].text, "Cannot open file " + path(settingsFolder + "/LVserial.dat"));
    }

    void aSettingsFolderThatCannotBeMadeIsReportedAndNothingIsLost() {
        // XDG_CONFIG_HOME names a file: no folder can be made below it, not even by root.
        QVERIFY(putFile(path("blocker"), "the user's own file\n"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("blocker")));
        const QString bin = installedBin();
        QVERIFY(!bin.isEmpty());

        MessageBoxRecorder boxes;
        setUpProgramFiles(bin);
        QCOMPARE(boxes.shown().size(), size_t(1));
        const MessageBoxRequest box = boxes.shown()[0];
        QCOMPARE(box.text, QStringLiteral("Der Ordner für Einstellungen und Scanner-Liste kann "
                                          "nicht angelegt werden:\n%1\nGrund: %2\n\nLorvant "
                                          "startet mit den Standardeinstellungen; was in diesem "
                                          "Lauf eingestellt wird, kann nicht gespeichert werden.")
                               .arg(path("blocker/lorvant/"),
                                    QString::fromLocal8Bit(std::strerror(ENOTDIR))));
        QCOMPARE(box.caption, QString(" Einstellungsordner"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        // The files stay where they belong: nothing goes beside the executable instead.
        QCOMPARE(programDirectory(), nativePath(path("blocker/lorvant/")));

        // The run goes on with the defaults, and its end says that the settings were not
        // kept, rather than dropping them quietly.
        runOnce(boxes);
        QCOMPARE(boxes.shown().size(), size_t(2));
        QCOMPARE(boxes.shown()[0].text,
                 "Unable to write to " + path("blocker/lorvant/LVconfig.ini"));
        QCOMPARE(boxes.shown()[1].text,
                 "Cannot create file " + path("blocker/lorvant/LVserial.dat"));
        QCOMPARE(fileBytes(path("blocker")), std::string("the user's own file\n"));
        QCOMPARE(filesBelow(dir_.path()), QStringList());
    }
};

QTEST_MAIN(ProgramFilesTest)
#include "test_program_files.moc"
