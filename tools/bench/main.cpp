// bench-download: how long reading a full CS1504 unit takes through the real serial path,
// against the time its bytes need on a 9600 baud line. Not a test: it prints figures.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
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
    return 0;
}
