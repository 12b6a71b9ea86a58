#include "system/serial_transport.h"

#include <QSerialPort>
#include <thread>

#include "scanner/port_access.h"
#include "scanner/serial_port_name.h"
#include "text/texts.h"

namespace {

using std::chrono::milliseconds;

// Bytes handed to the driver leave at 9600 baud; allow for that and a little more.
milliseconds writeTimeout(size_t bytes) {
    return milliseconds(500 + bytes * 2);
}

// Why the last port that could not be opened failed, for the message that follows.
QSerialPort::SerialPortError lastOpenError = QSerialPort::NoError;

class SerialTransport final : public Transport {
  public:
    bool open(const QString& name) {
        port_.setPortName(name);
        if (!port_.open(QIODevice::ReadWrite)) {
            lastOpenError = port_.error();
            return false;
        }
        const bool configured = port_.setBaudRate(QSerialPort::Baud9600) &&
                                port_.setDataBits(QSerialPort::Data8) &&
                                port_.setStopBits(QSerialPort::OneStop) &&
                                port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!configured) {
            lastOpenError = port_.error();
            port_.close();
            return false;
        }
        // A pseudo-terminal (the emulator) knows no parity; a real line takes it.
        if (!port_.setParity(QSerialPort::OddParity)) port_.clearError();
        lastOpenError = QSerialPort::NoError;
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

std::unique_ptr<Transport> openSerialDevice(const std::string& name) {
    if (name.empty()) return nullptr;
    auto transport = std::make_unique<SerialTransport>();
    if (!transport->open(QString::fromLocal8Bit(name.c_str()))) return nullptr;
    return transport;
}

class SerialPortOpener final : public PortOpener {
  public:
    std::unique_ptr<Transport> open(int portIndex) override {
        return openSerialDevice(scannerPortDevice(portIndex));
    }
};

class SerialDeviceOpener final : public PortOpener {
  public:
    explicit SerialDeviceOpener(std::string device) : device_(std::move(device)) {}
    std::unique_ptr<Transport> open(int) override { return openSerialDevice(device_); }

  private:
    std::string device_;
};

// "Port kann nicht intialisiert werden" and what is wrong with the device; `port` names the
// port it stands for (COM1 ...), or is empty for a device named by its path.
QString openFailureText(const PortProblem& problem, const QString& port) {
    QString text = texts::kPortNotOpened;
    const QString device = QString::fromLocal8Bit(problem.device.c_str());
    switch (problem.kind) {
        case PortProblem::Kind::None:
            break;
        case PortProblem::Kind::Missing:
            text += QString(texts::kPortMissing).arg(device);
            if (!port.isEmpty())
                text += QString(problem.configured ? texts::kPortNamedByVariable
                                                   : texts::kPortStandsForDevice)
                            .arg(port, device);
            break;
        case PortProblem::Kind::NotPermitted:
            text += problem.group.empty()
                        ? QString(texts::kPortNotPermitted).arg(device)
                        : QString(texts::kPortNotPermittedJoinGroup)
                              .arg(device, QString::fromLocal8Bit(problem.group.c_str()));
            break;
        case PortProblem::Kind::Present:
            // Qt's lock file of another program, or a device opened for one program only.
            if (lastOpenError == QSerialPort::PermissionError ||
                lastOpenError == QSerialPort::OpenError)
                text += QString(texts::kPortBusy).arg(device);
            else if (lastOpenError != QSerialPort::NoError)
                text += QString(texts::kPortNotSerial).arg(device);
            break;
    }
    return text;
}

}  // namespace

std::unique_ptr<PortOpener> serialPortOpener() {
    return std::make_unique<SerialPortOpener>();
}

std::unique_ptr<PortOpener> serialDeviceOpener(std::string device) {
    return std::make_unique<SerialDeviceOpener>(std::move(device));
}

QString portOpenFailureText(int portIndex) {
    return openFailureText(portProblem(portIndex), QString("COM%1").arg(portIndex + 1));
}

QString deviceOpenFailureText(const std::string& device) {
    return openFailureText(deviceProblem(device), {});
}
