// Recording a reception in the history ended by SIGKILL part way. The next open finds the
// file whole (nothing moved aside), holding the receptions it held before, or those and
// the new one with every row; never a reception with rows missing.
//
// A helper process records a unit's 500 barcodes into a history that already holds one
// smaller reception of the same unit. Traced through ptrace, it is killed right before
// system calls of the recording (every one near its start and end, a sample between);
// then it records again and again and is killed at random moments.
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <climits>

#include "file_helpers.h"
#include "kill_support.h"
#include "system/sqlite_history.h"
#include "test_programs.h"

namespace {

constexpr int kRows = 500;
constexpr int kSeedRows = 20;

struct Recorded {
    HistoryEntry entry;
    std::vector<HistoryRow> rows;
};

QString timeText(const LocalDateTime& t) {
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                             t.minute, t.second);
}

// What differs between two recorded receptions (their ids aside); empty when nothing.
QString difference(const Recorded& found, const Recorded& expected) {
    const HistoryEntry &a = found.entry, &b = expected.entry;
    if (a.readAt != b.readAt || a.serial != b.serial || a.scannerId != b.scannerId ||
        a.name != b.name || a.count != b.count || a.complete != b.complete ||
        a.dataFormat != b.dataFormat || a.delivered != b.delivered || a.file != b.file)
        return QString("reception %1 (%2, %3 rows) is not the one recorded (%4, %5 rows)")
            .arg(a.id)
            .arg(timeText(a.readAt))
            .arg(a.count)
            .arg(timeText(b.readAt))
            .arg(b.count);
    if (found.rows.size() != size_t(a.count))
        return QString("reception %1 counts %2 rows and holds %3")
            .arg(a.id)
            .arg(a.count)
            .arg(found.rows.size());
    for (size_t i = 0; i < found.rows.size(); ++i) {
        const HistoryRow &x = found.rows[i], &y = expected.rows[i];
        if (x.barcode != y.barcode || x.codeType != y.codeType || x.stamped != y.stamped ||
            x.stamp != y.stamp || x.line != y.line || x.repeated != y.repeated)
            return QString("reception %1, row %2: %3 instead of %4")
                .arg(a.id)
                .arg(i)
                .arg(QString::fromStdString(x.line + (x.repeated ? " (repeated)" : "")))
                .arg(QString::fromStdString(y.line + (y.repeated ? " (repeated)" : "")));
    }
    return {};
}

class Scene {
  public:
    bool valid() const { return dir_.isValid(); }
    QString file() const { return dir_.filePath("history.sqlite"); }

    // The history as it was before the recording: one reception of the unit's first
    // barcodes, recorded once by the helper.
    bool makeStart() {
        const QString seed = dir_.filePath("seed/history.sqlite");
        return QDir(dir_.path()).mkdir("seed") &&
               runToEnd(
                   {LORVANT_CRASH_HISTORY_HELPER, nativePath(seed), std::to_string(kSeedRows)});
    }
    void reset() {
        QDir folder(dir_.path());
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
            folder.remove(name);
        QDir seed(dir_.filePath("seed"));
        for (const QString& name : seed.entryList(QDir::Files | QDir::Hidden))
            QFile::copy(seed.filePath(name), folder.filePath(name));
    }
    // Files other than the history, its log and its index: a history moved aside.
    QStringList strayFiles() const {
        QStringList stray = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
        stray.removeAll("history.sqlite");
        stray.removeAll("history.sqlite-wal");
        stray.removeAll("history.sqlite-shm");
        return stray;
    }
    std::vector<std::string> arguments(bool again) const {
        std::vector<std::string> arguments = {LORVANT_CRASH_HISTORY_HELPER, nativePath(file()),
                                              std::to_string(kRows)};
        if (again) arguments.push_back("again");
        return arguments;
    }

    // Every reception the history holds, oldest first; `notice` gets what opening said.
    std::vector<Recorded> read(QString& notice) const {
        std::vector<Recorded> recorded;
        const auto history = SqliteHistory::open(nativePath(file()), notice);
        if (!history) return recorded;
        for (const HistoryEntry& entry : history->receptions(-1, 0))
            recorded.insert(recorded.begin(), {entry, history->rows(entry.id)});
        return recorded;
    }

  private:
    QTemporaryDir dir_;
};

// What the history must hold after `done` whole recordings of `next` and one cut short
// anywhere: `start`, then `done` or `done` + 1 times `next`, the first with the rows
// `start` held marked as repeated, every later one with all of them. Empty when it does.
QString problemAfterKill(const Scene& scene, const Recorded& start, const Recorded& next, int done,
                         int& kept) {
    QString notice;
    const auto found = scene.read(notice);
    if (!notice.isEmpty()) return "the next open: " + notice;
    if (!scene.strayFiles().isEmpty()) return "left beside it: " + scene.strayFiles().join(", ");
    kept = int(found.size()) - 1;
    if (kept != done && kept != done + 1)
        return QString("%1 receptions after %2 recordings").arg(found.size()).arg(done);
    Recorded again = next;
    for (HistoryRow& row : again.rows) row.repeated = true;
    for (size_t i = 0; i < found.size(); ++i) {
        const QString problem = difference(found[i], i == 0 ? start : i == 1 ? next : again);
        if (!problem.isEmpty()) return problem;
    }
    return {};
}

}  // namespace

class HistoryKillTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void killedBeforeSystemCalls();
    void killedAtRandomMoments();

  private:
    Scene scene_;
    Recorded start_, next_;
};

void HistoryKillTest::initTestCase() {
    QVERIFY(scene_.valid());
    QVERIFY(scene_.makeStart());
    scene_.reset();
    QString notice;
    auto found = scene_.read(notice);
    QVERIFY2(notice.isEmpty(), qPrintable(notice));
    QCOMPARE(found.size(), size_t(1));
    start_ = found[0];
    QCOMPARE(start_.entry.count, kSeedRows);
    // The recording run to its end: what a cut that kept it must have kept.
    scene_.reset();
    QVERIFY(runToEnd(scene_.arguments(false)));
    found = scene_.read(notice);
    QCOMPARE(found.size(), size_t(2));
    QCOMPARE(difference(found[0], start_), QString());
    next_ = found[1];
    QCOMPARE(next_.entry.count, kRows);
    QCOMPARE(next_.rows.size(), size_t(kRows));
    QCOMPARE(std::count_if(next_.rows.begin(), next_.rows.end(),
                           [](const HistoryRow& row) { return row.repeated; }),
             kSeedRows);
}

void HistoryKillTest::killedBeforeSystemCalls() {
    int calls = 0;
    scene_.reset();
    const TracedEnd whole = runKilledAt(scene_.arguments(false), INT_MAX, &calls);
    if (whole == TracedEnd::NoTracing)
        QSKIP(
            "this system does not let a process be traced (ptrace); the random kills below "
            "still run");
    QVERIFY(whole == TracedEnd::Finished);
    // Every call at the start (the read of the unit's last reception, the transaction's
    // begin) and at the end (the commit, the closing), a sample of the pages between.
    const int edge = 60;
    const int step = std::max(1, (calls - 2 * edge) / 120);
    std::vector<int> points;
    for (int point = 0; point < calls; ++point)
        if (point < edge || point >= calls - edge || point % step == 0) points.push_back(point);

    int leftBefore = 0, leftWith = 0;
    for (int point : points) {
        scene_.reset();
        const TracedEnd end = runKilledAt(scene_.arguments(false), point);
        QVERIFY2(end == TracedEnd::Killed || end == TracedEnd::Finished,
                 qPrintable(QString("system call %1 of %2").arg(point).arg(calls)));
        int kept = 0;
        const QString problem = problemAfterKill(scene_, start_, next_, 0, kept);
        QVERIFY2(problem.isEmpty(),
                 qPrintable(QString("killed before system call %1: %2").arg(point).arg(problem)));
        (kept ? leftWith : leftBefore)++;
    }
    // The kills went through the whole recording: some before its commit, some after.
    QVERIFY(leftBefore > 0 && leftWith > 0);
    qInfo("%d system calls, %zu killed at: %d left the history as before, %d with the reception",
          calls, points.size(), leftBefore, leftWith);
}

void HistoryKillTest::killedAtRandomMoments() {
    const int kills = 16;
    int recorded = 0, withMore = 0;
    for (int kill = 0; kill < kills; ++kill) {
        scene_.reset();
        const int delayUs = QRandomGenerator::global()->bounded(120000);
        std::string output;
        QVERIFY(runKilledAfter(scene_.arguments(true), delayUs, &output));
        // One byte for each recording that returned.
        const int done = int(std::count(output.begin(), output.end(), 'r'));
        int kept = 0;
        const QString problem = problemAfterKill(scene_, start_, next_, done, kept);
        QVERIFY2(problem.isEmpty(), qPrintable(QString("killed after %1 µs, %2 recordings: %3")
                                                   .arg(delayUs)
                                                   .arg(done)
                                                   .arg(problem)));
        recorded += kept;
        if (kept > done) ++withMore;
    }
    QVERIFY(recorded > 0);
    qInfo(
        "%d kills, %d receptions recorded in all, %d kept one whose recording had not "
        "returned",
        kills, recorded, withMore);
}

QTEST_GUILESS_MAIN(HistoryKillTest)
#include "test_history_kill.moc"
