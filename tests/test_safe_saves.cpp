// Every save of the program ended by SIGKILL part way: the settings file, the scanner list,
// the parameter file and the data file replaced and appended to. The file afterwards holds
// its old or its new content, never a mixture; after an append was cut short, what the
// program does at its next start (recoverDataFile) leaves the old content, never half a
// line. And two running copies saving the same file at once: it is always whole, from one
// of them, and appended blocks stay whole.
//
// A helper process does the save. Traced through ptrace, it is killed right before each
// of the save's system calls in turn: every point at which a process can end with respect
// to the files. Then it saves again and again and is killed at random moments, with blocks
// large enough that the kernel's copying of a single write can itself be cut short.
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <optional>

#include "file_helpers.h"
#include "formats/parameter_table.h"
#include "kill_support.h"
#include "test_programs.h"

namespace {

struct SaveCase {
    QString kind;
    std::optional<std::string> old;  // nothing: the file does not exist yet
    std::string next;                // what the helper is given to save
    std::string other;               // a second content for repeated saves
};

std::string settingsEntries(const char* value) {
    std::string entries;
    for (const char* key : {"PathAndName", "SaveOption", "CounterActive", "FileCounter"})
        entries += std::string("DataFile\t") + key + "\t" + value + "\n";
    entries += std::string("NewSection\tKey\t") + value + "\n";
    return entries;
}

std::string parameterImage(int value) {
    ParameterTable table = builtInParameterTable();
    for (auto& entry : table) entry.value = value;
    return parameterTableImage(table);
}

// Barcode lines, `count` of them, as a save writes them.
std::string dataBlock(int count, char mark) {
    std::string block = "AB12;Lager\r\n";
    for (int i = 0; i < count; ++i)
        block += std::string("40063813339") + mark + std::to_string(i % 100) +
                 ";14:05:09;06.12.2026\r\n";
    return block;
}

const std::string kOldSettings =
    "[DataFile]\r\nPathAndName=C:\\Daten\\Data.txt\r\nSaveOption=0\r\n"
    "[Foreign]\r\nKeep=this line\r\n";

std::vector<SaveCase> saveCases(int dataLines) {
    return {
        {"settings", kOldSettings, settingsEntries("1"), settingsEntries("22")},
        {"scanner-list", "0011223344556677;AB;Lager\r\n",
         "0011223344556677;AB;Lager\n001aff075c10420b;CD;B\xFCro\n", "001aff075c10420b;X;Y\n"},
        {"parameters", parameterImage(1), parameterImage(0), parameterImage(1) + ""},
        // Shorter than the old content, so that what lies beyond it must go too.
        {"data-overwrite", dataBlock(dataLines + 7, 'o'), dataBlock(dataLines, 'n'),
         dataBlock(dataLines / 2, 'm')},
        {"data-append", dataBlock(3, 'o'), dataBlock(dataLines, 'n'), {}},
        {"data-append", std::nullopt, dataBlock(dataLines, 'n'), {}},
    };
}

class Scene {
  public:
    explicit Scene(const SaveCase& save) : save_(save) {
        file_ = dir_.filePath(save.kind == "settings"       ? "LVconfig.ini"
                              : save.kind == "scanner-list" ? "LVserial.dat"
                              : save.kind == "parameters"   ? "Param.dat"
                                                            : "Data.txt");
        next_ = dir_.filePath("next.bin");
        other_ = dir_.filePath("other.bin");
        putFile(next_, save.next);
        putFile(other_, save.other);
    }
    bool valid() const { return dir_.isValid(); }
    QString file() const { return file_; }

    // The program's folder as it was before the save: the old file, nothing else.
    void reset() {
        QDir folder(dir_.path());
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
            if (name != "next.bin" && name != "other.bin") folder.remove(name);
        }
        if (save_.old) putFile(file_, *save_.old);
    }
    std::optional<std::string> content() const {
        if (!QFile::exists(file_)) return std::nullopt;
        return fileBytes(file_);
    }
    bool undoRecordLeft() const { return QFile::exists(file_ + ".lvundo"); }

    // The helper saving the new content once; or again and again, taking turns with the
    // other content (appending the new one each time).
    std::vector<std::string> arguments(bool repeated) const {
        std::vector<std::string> arguments = {LORVANT_CRASH_SAVE_HELPER, save_.kind.toStdString(),
                                              nativePath(file_), nativePath(next_)};
        if (repeated)
            arguments.push_back(save_.kind == "data-append" ? nativePath(next_)
                                                            : nativePath(other_));
        return arguments;
    }
    // The same, saving into `file` (a second copy at work on the first copy's file).
    std::vector<std::string> argumentsOn(const QString& file, bool repeated) const {
        auto arguments = this->arguments(repeated);
        arguments[2] = nativePath(file);
        return arguments;
    }
    std::vector<std::string> otherArgumentsOn(const QString& file) const {
        auto arguments = otherArguments();
        arguments[2] = nativePath(file);
        return arguments;
    }
    // The helper saving the other content once.
    std::vector<std::string> otherArguments() const {
        return {LORVANT_CRASH_SAVE_HELPER, save_.kind.toStdString(), nativePath(file_),
                nativePath(other_)};
    }
    std::vector<std::string> recoverArguments() const {
        return {LORVANT_CRASH_SAVE_HELPER, "recover", nativePath(file_)};
    }

  private:
    const SaveCase& save_;
    QTemporaryDir dir_;
    QString file_, next_, other_;
};

QString describe(const std::optional<std::string>& content) {
    if (!content) return "missing";
    return QString("%1 bytes: %2")
        .arg(content->size())
        .arg(QString::fromLatin1(
            QByteArray::fromStdString(content->substr(0, 120)).toPercentEncoding()));
}

}  // namespace

class SafeSavesTest : public QObject {
    Q_OBJECT

  private slots:
    void killedBeforeEachSystemCall_data() { addCases(40); }
    void killedBeforeEachSystemCall();
    void killedAtRandomMoments_data() { addCases(20000); }
    void killedAtRandomMoments();
    void twoCopiesSavingAtOnce_data() { addCases(200); }
    void twoCopiesSavingAtOnce();

  private:
    void addCases(int dataLines) {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("dataLines");
        const auto cases = saveCases(dataLines);
        for (int i = 0; i < int(cases.size()); ++i) {
            const QString name = cases[size_t(i)].kind + (cases[size_t(i)].old ? "" : " new file");
            QTest::newRow(qPrintable(name)) << i << dataLines;
        }
    }
};

void SafeSavesTest::killedBeforeEachSystemCall() {
    QFETCH(int, index);
    QFETCH(int, dataLines);
    const auto cases = saveCases(dataLines);
    const SaveCase& save = cases[size_t(index)];
    const bool data = save.kind.startsWith("data");
    Scene scene(save);
    QVERIFY(scene.valid());

    // The new content: what the save leaves when it runs to its end.
    scene.reset();
    QVERIFY(runToEnd(scene.arguments(false)));
    const auto next = scene.content();
    QVERIFY(next && next != save.old);

    int leftOld = 0, leftNew = 0, points = 0;
    for (;; ++points) {
        QVERIFY2(points < 2000, "the save does not end");
        scene.reset();
        const TracedEnd end = runKilledAt(scene.arguments(false), points);
        if (end == TracedEnd::NoTracing)
            QSKIP(
                "this system does not let a process be traced (ptrace); the random kills "
                "below still run");
        QVERIFY(end != TracedEnd::Failed);
        if (end == TracedEnd::Finished) break;
        auto content = scene.content();
        // A data file that did not exist may be there, empty: it holds nothing either.
        const auto old = !save.old && content == std::string() ? std::nullopt : content;
        QVERIFY2(
            old == save.old || content == next,
            qPrintable(
                QString("killed before system call %1: %2").arg(points).arg(describe(content))));
        if (data) {
            // What the program does when it starts again.
            QVERIFY(runToEnd(scene.recoverArguments()));
            content = scene.content();
            const bool isOld = content == save.old || (!save.old && content == std::string());
            QVERIFY2(isOld || content == next,
                     qPrintable(
                         QString("after recovery from %1: %2").arg(points).arg(describe(content))));
            QVERIFY(!scene.undoRecordLeft());
        }
        (content == next ? leftNew : leftOld)++;
    }
    // The kills went through the whole save: some left the old content, some the new.
    QVERIFY(leftOld > 0 && leftNew > 0);
    qInfo("%s: %d points, %d left the old content, %d the new", qPrintable(save.kind), points,
          leftOld, leftNew);
}

void SafeSavesTest::killedAtRandomMoments() {
    QFETCH(int, index);
    QFETCH(int, dataLines);
    const auto cases = saveCases(dataLines);
    const SaveCase& save = cases[size_t(index)];
    const bool append = save.kind == "data-append";
    Scene scene(save);
    QVERIFY(scene.valid());

    // What the file may hold: the old content, or what either save leaves (each writes
    // the same keys, rows or bytes, whatever came before).
    std::vector<std::optional<std::string>> states = {save.old};
    if (!append) {
        scene.reset();
        QVERIFY(runToEnd(scene.arguments(false)));
        states.push_back(scene.content());
        QVERIFY(runToEnd(scene.otherArguments()));
        states.push_back(scene.content());
    }
    const std::string old = save.old.value_or("");
    // The old content and whole blocks after it (a new file may be there, empty).
    const auto wholeBlocks = [&](const std::optional<std::string>& bytes) {
        if (!bytes) return !save.old;
        if (bytes->compare(0, old.size(), old) != 0) return false;
        const std::string added = bytes->substr(old.size());
        if (added.size() % save.next.size() != 0) return false;
        for (size_t at = 0; at < added.size(); at += save.next.size())
            if (added.compare(at, save.next.size(), save.next) != 0) return false;
        return true;
    };

    const int kills = 12;
    int torn = 0, changed = 0;
    for (int kill = 0; kill < kills; ++kill) {
        scene.reset();
        const int delayUs = QRandomGenerator::global()->bounded(40000);
        QVERIFY(runKilledAfter(scene.arguments(true), delayUs));
        auto content = scene.content();
        if (content != save.old) ++changed;
        if (!append) {
            QVERIFY2(std::find(states.begin(), states.end(), content) != states.end(),
                     qPrintable(describe(content)));
            continue;
        }
        // The kernel may have been cut short in the middle of copying a large block; the
        // next start takes that append back.
        if (!wholeBlocks(content)) ++torn;
        QVERIFY(runToEnd(scene.recoverArguments()));
        content = scene.content();
        QVERIFY2(wholeBlocks(content), qPrintable(describe(content)));
        QVERIFY(!scene.undoRecordLeft());
    }
    QVERIFY(changed > 0);
    qInfo("%s: %d kills, %d after the file had changed, %d cut an append short",
          qPrintable(save.kind), kills, changed, torn);
}

void SafeSavesTest::twoCopiesSavingAtOnce() {
    QFETCH(int, index);
    QFETCH(int, dataLines);
    const auto cases = saveCases(dataLines);
    const SaveCase& save = cases[size_t(index)];
    // The parameter file is the program's alone: a second copy cannot open it at all.
    if (save.kind == "parameters" || !save.old) return;
    const bool append = save.kind == "data-append";
    // The second copy saves contents of its own.
    SaveCase second = save;
    second.next = append ? dataBlock(dataLines, 's') : save.other;
    second.other = save.next;
    if (save.kind == "settings") {
        second.next = settingsEntries("333");
        second.other = settingsEntries("4444");
    } else if (save.kind == "scanner-list") {
        second.next = "aaaaaaaaaaaaaaaa;Z;Zweiter\n";
        second.other = "bbbbbbbbbbbbbbbb;Y;Zweiter\nccc\n";
    }
    Scene scene(save), other(second);
    QVERIFY(scene.valid() && other.valid());

    // What a whole save by either copy leaves, starting from the old file.
    std::vector<std::optional<std::string>> states = {save.old};
    if (!append) {
        for (Scene* copy : {&scene, &other}) {
            for (bool firstContent : {true, false}) {
                scene.reset();
                QVERIFY(runToEnd(firstContent ? copy->argumentsOn(scene.file(), false)
                                              : copy->otherArgumentsOn(scene.file())));
                states.push_back(scene.content());
            }
        }
    }
    const std::string old = *save.old;
    // After the old content: whole blocks, each from one copy or the other.
    const auto wholeBlocks = [&](const std::optional<std::string>& bytes, int& fromSecond) {
        if (!bytes || bytes->compare(0, old.size(), old) != 0) return false;
        for (size_t at = old.size(); at < bytes->size();) {
            if (bytes->compare(at, save.next.size(), save.next) == 0) {
                at += save.next.size();
            } else if (bytes->compare(at, second.next.size(), second.next) == 0) {
                at += second.next.size();
                ++fromSecond;
            } else {
                return false;
            }
        }
        return true;
    };

    scene.reset();
    std::vector<std::string> firstCopy = scene.arguments(true);
    std::vector<std::string> secondCopy = other.argumentsOn(scene.file(), true);
    const pid_t pids[2] = {startHelper(firstCopy), startHelper(secondCopy)};
    QVERIFY(pids[0] > 0 && pids[1] > 0);
    // Another program reading the file meanwhile finds it whole every time.
    int reads = 0;
    QElapsedTimer running;
    running.start();
    while (running.elapsed() < 400) {
        const auto content = scene.content();
        if (!append)
            QVERIFY2(std::find(states.begin(), states.end(), content) != states.end(),
                     qPrintable(describe(content)));
        ++reads;
    }
    for (pid_t pid : pids) {
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        // Each copy saved until it was ended: none gave up with a failure.
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }
    if (append) {
        QVERIFY(runToEnd(scene.recoverArguments()));
        int fromSecond = 0;
        const auto content = scene.content();
        QVERIFY2(wholeBlocks(content, fromSecond), qPrintable(describe(content)));
        const auto blocks = (content->size() - old.size()) / save.next.size();
        // Both copies got their blocks in.
        QVERIFY(fromSecond > 0 && size_t(fromSecond) < blocks);
        qInfo("%s: %d reads, %zu blocks appended, %d by the second copy", qPrintable(save.kind),
              reads, blocks, fromSecond);
    } else {
        QVERIFY(std::find(states.begin(), states.end(), scene.content()) != states.end());
        qInfo("%s: %d reads, each whole", qPrintable(save.kind), reads);
    }
}

QTEST_GUILESS_MAIN(SafeSavesTest)
#include "test_safe_saves.moc"
