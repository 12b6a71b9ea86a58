// The program ended by a termination signal (logout, kill) still saves its settings.
#include <QProcess>
#include <QtTest>
#include <csignal>

#include "file_helpers.h"

class ProgramEndTest : public QObject {
    Q_OBJECT
  private slots:
    void terminationSignalSavesTheSettings() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // The program keeps its files beside its executable.
        const QString program = dir.filePath("lorvant");
        QVERIFY(QFile::copy(LORVANT_PROGRAM, program));
        QVERIFY(putFile(dir.filePath("LVserial.dat"), "0011223344556677;AB;Lager\r\n"));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("LORVANT_COM1", "/dev/null");
        process.setProcessEnvironment(environment);
        process.start(program, {});
        QVERIFY(process.waitForStarted());
        // The parameter file appears once the windows are created.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("Param.dat")), 10000);
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        const std::string settings = fileBytes(dir.filePath("LVconfig.ini"));
        QVERIFY(settings.find("[ClrOptions]\r\nClrHot=\r\nMod=0\r\nV_key=0\r\n") !=
                std::string::npos);
        QCOMPARE(fileBytes(dir.filePath("LVserial.dat")),
                 std::string("0011223344556677;AB;Lager\r\n"));
    }
};

QTEST_GUILESS_MAIN(ProgramEndTest)
#include "test_program_end.moc"
