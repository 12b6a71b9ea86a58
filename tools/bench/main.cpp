// bench-download: how long reading a full CS1504 unit takes through the real serial path,
// against the time its bytes need on a 9600 baud line: through the scanner library in this
// process, then `lorvant-cli receive` as a whole (its start, the reading, the data file).
// Not a test: it prints figures.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "emulator_launcher.h"
#include "scanner/cs1504_library.h"
#include "system/serial_transport.h"
#include "testing/cs1504_unit_file.h"

namespace {

// Counts every byte that crosses the line in either direction.
class CountingTransport final : public Transport {
  public:
    CountingTransport(std::unique_ptr<Transport> line, long& bytes)
        : line_(std::move(line)), bytes_(bytes) {}
    bool write(std::span<const uint8_t> data) override {
        bytes_ += long(data.size());
        return line_->write(data);
    }
    int read(std::span<uint8_t> out, Clock::time_point deadline) override {
        const int got = line_->read(out, deadline);
        if (got > 0) bytes_ += got;
        return got;
    }
    bool setDtr(bool high) override { return line_->setDtr(high); }
    void discardInput() override { line_->discardInput(); }
    void wait(std::chrono::milliseconds duration) override { line_->wait(duration); }
    Clock::time_point now() override { return line_->now(); }

  private:
    std::unique_ptr<Transport> line_;
    long& bytes_;
};

class CountingPortOpener final : public PortOpener {
  public:
    explicit CountingPortOpener(long& bytes) : opener_(serialPortOpener()), bytes_(bytes) {}
    std::unique_ptr<Transport> open(int portIndex) override {
        auto line = opener_->open(portIndex);
        return line ? std::make_unique<CountingTransport>(std::move(line), bytes_) : nullptr;
    }

  private:
    std::unique_ptr<PortOpener> opener_;
    long& bytes_;
};

// A unit filled up to the largest upload response, with time stamps on.
QString writeFullUnit(const QTemporaryDir& directory, int& count) {
    cs1504::Device device;
    device.clock = {9, 5, 14, 6, 12, 26};
    for (long number = 4006381330000; device.scan(0x0B, std::to_string(number)); ++number) {
    }
    count = int(device.barcodes.size());
    std::printf("unit: %d barcodes, upload response %zu bytes\n", count,
                device.uploadResponseSize());
    QFile file(directory.filePath("full-unit.txt"));
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(QByteArray::fromStdString(cs1504::writeUnitFile(device)));
    return file.fileName();
}

// One reception as the program runs it; false when it did not deliver every barcode.
bool receive(Cs1504Library& library, int expected) {
    library.ResetScannerLink();
    if (library.OpenScannerPort(0) != 0) return false;
    uint8_t value = 0;
    library.ReadParameter(35, &value, 1);
    if (library.CountStoredBarcodes() != expected) return false;
    uint8_t serial[9];
    library.ReadSerialNumber(serial, 9);
    for (int i = 0; i < expected; ++i) {
        uint8_t packet[100];
        if (library.FetchBarcode(packet, i, 100) <= 5) return false;
    }
    return true;
}

// The bytes the emulator's log shows crossing the line, both ways, from `from` on.
long loggedBytes(const QString& log, qsizetype from) {
    static const QRegularExpression line(R"(^(?:->|<-) .*\((\d+) bytes\)$)",
                                         QRegularExpression::MultilineOption);
    long bytes = 0;
    for (auto it = line.globalMatch(log.mid(from)); it.hasNext();)
        bytes += it.next().captured(1).toLong();
    return bytes;
}

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// lorvant-cli receive of the whole unit into a data file, `runs` times, each timed from the
// start of the process to its end; the wire time of each run from the emulator's log.
bool benchCommandLine(const QString& data, int count, int runs) {
    EmulatorLauncher emulator;
    QTemporaryDir config;
    if (!emulator.start({"--data", data, "--log"})) {
        std::fprintf(stderr, "cannot start the emulator: %s\n", qPrintable(emulator.errorText()));
        return false;
    }
    QFile list(config.filePath("LVserial.dat"));
    if (!list.open(QIODevice::WriteOnly) || list.write("001aff075c10420b;BEN;Bench\r\n") < 0)
        return false;
    list.close();
    std::vector<double> seconds, ratios;
    for (int run = 0; run < runs; ++run) {
        const qsizetype logged = emulator.log().size();
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LORVANT_COM1", emulator.portPath());
        cli.setProcessEnvironment(environment);
        const QString output = config.filePath("Data.txt");
        QElapsedTimer timer;
        timer.start();
        cli.start(LORVANT_CLI,
                  {"receive", "--no-erase", "--output", output, "--config", config.path()});
        if (!cli.waitForFinished(60000) || cli.exitCode() != 0) {
            std::fprintf(stderr, "lorvant-cli run %d failed: %s\n", run + 1,
                         cli.readAllStandardError().constData());
            return false;
        }
        seconds.push_back(double(timer.nsecsElapsed()) / 1e9);
        QFile written(output);
        if (!written.open(QIODevice::ReadOnly) || written.readAll().count('\n') != count) {
            std::fprintf(stderr, "lorvant-cli run %d: not %d lines in the data file\n", run + 1,
                         count);
            return false;
        }
        // The emulator logs an exchange once it has answered; the last may follow the exit.
        QThread::msleep(100);
        const long bytes = loggedBytes(emulator.log(), logged);
        const double wire = double(bytes) * 11.0 / 9600.0;
        ratios.push_back(seconds.back() / wire);
        std::printf("lorvant-cli run %d: %.3f s, %ld bytes, wire time %.3f s, ratio %.4f\n",
                    run + 1, seconds.back(), bytes, wire, ratios.back());
    }
    std::printf("lorvant-cli: median %.3f s, median ratio to the wire time %.4f\n",
                medianOf(seconds), medianOf(ratios));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir directory;
    int count = 0;
    const QString data = writeFullUnit(directory, count);
    EmulatorLauncher emulator;
    if (data.isEmpty() || !emulator.start({"--data", data})) {
        std::fprintf(stderr, "cannot start the emulator: %s\n", qPrintable(emulator.errorText()));
        return 1;
    }
    qputenv("LORVANT_COM1", emulator.portPath().toLocal8Bit());

    long bytes = 0;
    Cs1504Library library(std::make_unique<CountingPortOpener>(bytes));
    // As the receive window does: each progress report lets the event loop run.
    int reports = 0;
    library.setUploadProgressHandler([&reports](const UploadProgress&) {
        ++reports;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    std::vector<double> seconds;
    long bytesPerRun = 0;
    for (int run = 0; run < runs; ++run) {
        bytes = 0;
        reports = 0;
        QElapsedTimer timer;
        timer.start();
        if (!receive(library, count)) {
            std::fprintf(stderr, "run %d failed\n", run + 1);
            return 1;
        }
        seconds.push_back(double(timer.nsecsElapsed()) / 1e9);
        bytesPerRun = bytes;
        std::printf("run %d: %.3f s, %ld bytes, %d progress reports\n", run + 1, seconds.back(),
                    bytes, reports);
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    const double wire = double(bytesPerRun) * 11.0 / 9600.0;
    std::printf("median %.3f s, wire time %.3f s (%ld bytes at 9600 baud 8O1), ratio %.3f\n",
                median, wire, bytesPerRun, median / wire);
    emulator.stop();
    return benchCommandLine(data, count, runs) ? 0 : 1;
}
