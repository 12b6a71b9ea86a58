#include "cli/scanner_port.h"

#include <thread>

#include "cli/cli_texts.h"
#include "cli/interruption.h"
#include "cli/output.h"
#include "scanner/serial_port_name.h"
#include "system/port_lock.h"
#include "system/serial_transport.h"
#include "text/texts.h"

using std::chrono::milliseconds;

// The serial line, giving up at its next read, write or wait once a signal has arrived.
// Waits are cut into slices short enough for Ctrl+C to act at once.
class StoppableLine final : public Transport {
  public:
    explicit StoppableLine(std::unique_ptr<Transport> line) : line_(std::move(line)) {}

    bool write(std::span<const uint8_t> bytes) override {
        return !lineStopped() && line_->write(bytes);
    }
    int read(std::span<uint8_t> out, Clock::time_point deadline) override {
        for (;;) {
            if (lineStopped()) return -1;
            const int got = line_->read(out, std::min(deadline, line_->now() + kSlice));
            if (got != 0 || line_->now() >= deadline) return got;
        }
    }
    bool setDtr(bool high) override { return line_->setDtr(high); }
    void discardInput() override { line_->discardInput(); }
    void wait(milliseconds duration) override {
        const auto end = line_->now() + duration;
        while (!lineStopped() && line_->now() < end)
            line_->wait(std::min(kSlice, std::chrono::ceil<milliseconds>(end - line_->now())));
    }
    Clock::time_point now() override { return line_->now(); }

  private:
    static constexpr milliseconds kSlice{50};
    std::unique_ptr<Transport> line_;
};

namespace {

class StoppableOpener final : public PortOpener {
  public:
    StoppableOpener(std::unique_ptr<PortOpener> opener, StoppableLine*& opened)
        : opener_(std::move(opener)), opened_(opened) {}
    std::unique_ptr<Transport> open(int portIndex) override {
        auto line = opener_->open(portIndex);
        if (!line) return nullptr;
        auto stoppable = std::make_unique<StoppableLine>(std::move(line));
        opened_ = stoppable.get();
        return stoppable;
    }

  private:
    std::unique_ptr<PortOpener> opener_;
    StoppableLine*& opened_;
};

std::unique_ptr<PortOpener> openerFor(const std::optional<std::string>& device) {
    return device ? serialDeviceOpener(*device) : serialPortOpener();
}

// The unit drops what it is doing when DTR stays low for more than about a second.
constexpr milliseconds kAbortDtrLow{1100};

}  // namespace

ScannerPort::ScannerPort(int configuredPort, std::optional<std::string> device)
    : index_(device || configuredPort < 0 || configuredPort > 15 ? 0 : configuredPort),
      device_(std::move(device)),
      library_(std::make_unique<StoppableOpener>(openerFor(device_), line_)) {}

ScannerPort::~ScannerPort() {
    library_.CloseScannerPort();
}

QString ScannerPort::deviceName() const {
    return QString::fromLocal8Bit(device_ ? device_->c_str() : scannerPortDevice(index_).c_str());
}

int ScannerPort::reportHolder() const {
    const auto holder = portHolder(deviceName());
    if (!holder || !holder->lorvant) return 0;
    if (holder->program == "lorvant-cli")
        printError(QString(clitexts::kPortHeldByCli).arg(deviceName()).arg(holder->pid));
    else
        printError(QString(clitexts::kPortHeldByLorvant)
                       .arg(deviceName(), holder->program)
                       .arg(holder->pid));
    return 5;
}

int ScannerPort::open() {
    // Never a second opener beside a running Lorvant: on a real line both would talk at
    // once, and root's open is not refused.
    if (const int held = reportHolder()) return held;
    library_.ResetScannerLink();
    if (library_.OpenScannerPort(index_) == 0) return 0;
    if (const int held = reportHolder()) return held;  // taken meanwhile
    printError(device_ ? deviceOpenFailureText(*device_) : portOpenFailureText(index_));
    return 1;
}

void ScannerPort::stopAfterInterruption() {
    beginCleanUp();
    if (!line_) return;
    if (line_->setDtr(false)) {
        line_->wait(kAbortDtrLow);
        line_->setDtr(true);
    }
    // A fresh session: the unit is woken, asked who it is and sent to sleep.
    library_.ResetScannerLink();
    uint8_t serial[9] = {};
    if (library_.ReadSerialNumber(serial, sizeof serial) == 0) library_.EndScannerExchange();
}
