// The program ended by a termination signal (logout, kill) still saves its settings: beside
// its executable when it runs from a folder of its own, in the user's settings folder when
// it is installed.
#include <QProcess>
#include <QtTest>
#include <csignal>

#include "file_helpers.h"
#include "system/program_dir.h"
#include "test_programs.h"

class ProgramEndTest : public QObject {
    Q_OBJECT
  private slots:
    void terminationSignalSavesTheSettings_data() {
        QTest::addColumn<QString>("executableFolder");
        QTest::addColumn<QString>("settingsFolder");
        QTest::newRow("beside the executable") << "copy"
                                               << "copy";
        QTest::newRow("installed") << "prefix/bin"
                                   << "home/.config/lorvant";
    }
    void terminationSignalSavesTheSettings() {
        QFETCH(QString, executableFolder);
        QFETCH(QString, settingsFolder);
        QTemporaryDir dir;
        QTemporaryDir runtime;  // a channel of its own: another copy running is not this one
        QVERIFY(dir.isValid() && runtime.isValid());
        const QString bin = dir.filePath(executableFolder);
        const QString settings = dir.filePath(settingsFolder);
        QVERIFY(QDir().mkpath(bin));
        if (executableFolder == "prefix/bin")
            QVERIFY(QDir().mkpath(bin + "/" + installedDataFolder()));
        QVERIFY(QFile::copy(LORVANT_PROGRAM, bin + "/lorvant"));
        QVERIFY(QDir().mkpath(settings));
        QVERIFY(putFile(settings + "/LVserial.dat", "0011223344556677;AB;Lager\r\n"));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LORVANT_COM1", "/dev/null");
        environment.insert("HOME", dir.filePath("home"));
        environment.remove("XDG_CONFIG_HOME");
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        process.setProcessEnvironment(environment);
        process.start(bin + "/lorvant", {});
        QVERIFY(process.waitForStarted());
        // The parameter file appears once the windows are created.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(settings + "/Param.dat"), 10000);
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        // Ended on its own and without a failure (a sanitizer finding would be one).
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        const std::string saved = fileBytes(settings + "/LVconfig.ini");
        QVERIFY(saved.find("[ClrOptions]\r\nClrHot=\r\nMod=0\r\nV_key=0\r\n") != std::string::npos);
        QCOMPARE(fileBytes(settings + "/LVserial.dat"),
                 std::string("0011223344556677;AB;Lager\r\n"));
        // Installed, nothing is written beside the executable.
        if (bin != settings) QCOMPARE(QDir(bin).entryList(QDir::Files), QStringList{"lorvant"});
    }

    // A signal while the start's first message is up (here: no scanner list) ends the
    // program there, as at any other time, instead of closing the message and running on.
    void terminationSignalDuringTheStartsMessageEndsTheProgram() {
        QTemporaryDir dir;
        QTemporaryDir runtime;
        QVERIFY(dir.isValid() && runtime.isValid());
        QVERIFY(QFile::copy(LORVANT_PROGRAM, dir.filePath("lorvant")));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LORVANT_COM1", "/dev/null");
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        process.setProcessEnvironment(environment);
        process.start(dir.filePath("lorvant"), {});
        QVERIFY(process.waitForStarted());
        // The lock is taken right before the signals are handled; whether the message is up
        // yet or comes next, the signal waits for its loop.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath("lorvant/lorvant.lock")), 10000);
        QTest::qWait(200);
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        // It ended as a run ends: the settings are written.
        QVERIFY(QFile::exists(dir.filePath("LVconfig.ini")));
    }
};

QTEST_GUILESS_MAIN(ProgramEndTest)
#include "test_program_end.moc"
