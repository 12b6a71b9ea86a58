#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "scanner/cs1504_codec.h"
#include "scanner/cs1504_session.h"
#include "scanner/scanner_library.h"
#include "scanner/transport.h"

// Results of the scanner library's operations beyond a count or a packet length.
namespace scanner_result {
constexpr int32_t Ok = 0;
constexpr int32_t Refused = 1;       // the unit answered but did not do it
constexpr int32_t NoUnit = -1;       // no answer, or none that survived the line
constexpr int32_t PortClosed = -2;   // no port is open
constexpr int32_t BadArgument = -3;  // port index, buffer, capacity or index out of range
constexpr int32_t OpenFailed = -4;   // the port cannot be opened
constexpr int32_t Busy = -5;         // called while another operation is still running
}  // namespace scanner_result

// The scanner library for CS1504 units, speaking the wire protocol over a byte line. Every
// operation that needs the unit wakes and interrogates it unless a session is still open;
// a failed operation leaves the caller's buffers untouched.
class Cs1504Library final : public ScannerLibrary {
  public:
    explicit Cs1504Library(std::unique_ptr<PortOpener> opener, cs1504::LinkTiming timing = {});
    ~Cs1504Library() override;

    int32_t ResetScannerLink() override;
    int32_t OpenScannerPort(int32_t portIndex) override;
    int32_t CloseScannerPort() override;
    int32_t EndScannerExchange() override;
    int32_t CountStoredBarcodes() override;
    int32_t FetchBarcode(uint8_t* buffer, int32_t index, int32_t capacity) override;
    int32_t EraseStoredBarcodes() override;
    int32_t ReadSerialNumber(uint8_t* buffer, int32_t capacity) override;
    int32_t ReadParameter(int32_t code, uint8_t* buffer, int32_t capacity) override;
    int32_t WriteParameter(int32_t code, const uint8_t* value, int32_t length) override;
    int32_t RestoreFactoryDefaults() override;
    int32_t WriteScannerClock(const uint8_t* clock) override;
    int32_t FormatTimeStamp(const uint8_t* stamp, char* text, int32_t capacity) override;
    // From the Interrogate answer the session has, and one Get time.
    UnitHealth ReadUnitHealth() override;
    void WatchReading(std::chrono::milliseconds stallLimit) override;
    void CancelReading() override;
    ReadingStop readingStop() const override { return stop_.reason; }
    void EndWatch() override;

    // Beyond the thirteen operations, for what a unit tells of itself: the answer to
    // Interrogate (serial number, battery state in the system status), and its clock as the
    // 6 bytes WriteScannerClock takes (a second of 0xFF: the clock lost power and keeps no
    // time). Ok, or a failure as the operations above give it.
    int32_t readUnitInfo(cs1504::UnitInfo& info);
    int32_t readScannerClock(uint8_t* clock);

    // The watch of a reading, which the line checks at each read and wait.
    struct Watch {
        bool active = false;
        bool cancelled = false;
        Transport::Clock::duration stallLimit{};
        Transport::Clock::time_point lastProgress{};
        size_t uploadBytes = 0;  // the most bytes of an upload seen in this watch
        ReadingStop reason = ReadingStop::None;
        // True (with the reason) once the line is to give up.
        bool halted(Transport::Clock::time_point now);
        void progressed(Transport::Clock::time_point now) { lastProgress = now; }
    };

  private:
    class WatchedLine;
    // The barcodes of one upload, kept so that the program can fetch them one by one.
    struct Upload {
        std::array<uint8_t, 8> serialNumber{};
        std::vector<cs1504::Bytes> packets;  // counted strings with their length byte
    };

    bool upload();
    // True while an operation runs: the progress of an upload reaches the caller in the
    // middle of it.
    bool busy_ = false;
    void closePort();
    int32_t failure(const cs1504::Reply& reply) const;

    // The opener outlives the line it opened.
    std::unique_ptr<PortOpener> opener_;
    cs1504::LinkTiming timing_;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<cs1504::Session> session_;
    int32_t openPort_ = -1;
    std::optional<Upload> upload_;
    Watch stop_;
};
