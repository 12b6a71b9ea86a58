#include "scanner/serial_transport.h"

#include <QSerialPort>
#include <thread>

#include "app/texts.h"
#include "scanner/port_access.h"
#include "scanner/serial_port_name.h"

namespace {

using std::chrono::milliseconds;

// Bytes handed to the driver leave at 9600 baud; allow for that and a little more.
milliseconds writeTimeout(size_t bytes) {
    return milliseconds(500 + bytes * 2);
}

class SerialTransport final : public Transport {
  public:
    bool open(const QString& name) {
        port_.setPortName(name);
        if (!port_.open(QIODevice::ReadWrite)) return false;
        const bool configured = port_.setBaudRate(QSerialPort::Baud9600) &&
                                port_.setDataBits(QSerialPort::Data8) &&
                                port_.setStopBits(QSerialPort::OneStop) &&
                                port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!configured) {
            port_.close();
            return false;
        }
        // A pseudo-terminal (the emulator) knows no parity; a real line takes it.
        if (!port_.setParity(QSerialPort::OddParity)) port_.clearError();
        return true;
    }

    bool write(std::span<const uint8_t> bytes) override {
        const auto written =
            port_.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        if (written != qint64(bytes.size())) return false;
        while (port_.bytesToWrite() > 0)
            if (!port_.waitForBytesWritten(int(writeTimeout(bytes.size()).count()))) return false;
        return true;
    }

    int read(std::span<uint8_t> out, Clock::time_point deadline) override {
        if (port_.bytesAvailable() == 0) {
            const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
            if (!port_.waitForReadyRead(int(std::max<milliseconds::rep>(left.count(), 0))))
                return timedOut() ? 0 : -1;
        }
        const qint64 got = port_.read(reinterpret_cast<char*>(out.data()), qint64(out.size()));
        return got < 0 ? -1 : int(got);
    }

    bool setDtr(bool high) override {
        if (port_.setDataTerminalReady(high)) return true;
        port_.clearError();  // a pseudo-terminal has no modem lines; carry on without
        return false;
    }

    void discardInput() override {
        port_.clear(QSerialPort::Input);
        port_.readAll();
    }

    void wait(milliseconds duration) override { std::this_thread::sleep_for(duration); }
    Clock::time_point now() override { return Clock::now(); }

  private:
    bool timedOut() {
        const auto error = port_.error();
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) return false;
        port_.clearError();
        return true;
    }

    QSerialPort port_;
};

class SerialPortOpener final : public PortOpener {
  public:
    std::unique_ptr<Transport> open(int portIndex) override {
        const std::string name = scannerPortDevice(portIndex);
        if (name.empty()) return nullptr;
        auto transport = std::make_unique<SerialTransport>();
        if (!transport->open(QString::fromStdString(name))) return nullptr;
        return transport;
    }
};

}  // namespace

std::unique_ptr<PortOpener> serialPortOpener() {
    return std::make_unique<SerialPortOpener>();
}

QString portOpenFailureText(int portIndex) {
    const QString text = texts::kPortNotOpened;
    const auto denied = portAccessDenied(portIndex);
    if (!denied) return text;
    const QString device = QString::fromLocal8Bit(denied->device.c_str());
    if (denied->group.empty()) return text + QString(texts::kPortNotPermitted).arg(device);
    const QString group = QString::fromLocal8Bit(denied->group.c_str());
    return text + QString(texts::kPortNotPermittedJoinGroup).arg(device, group);
}
