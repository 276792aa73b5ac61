// The port object: configuration and persisted settings, port discovery, and opening, reading
// and writing every kind of printer port.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "platform/CommTypes.h"
#include "platform/SettingsKey.h"
#include "port/OutputStallWatch.h"
#include "port/PortEnvironment.h"
#include "port/PortLimits.h"

namespace kestrel {

class PortBackend;  // port/PortBackend.h

enum PortKind {
    KindSerial = 1,
    KindDevice = 2,
    KindParallel = 3,
    KindTcp = 4,
    KindUsbPrinter = 5,
};

enum Handshake {
    HandshakeNone = 0,
    HandshakeXonXoff = 1,
    HandshakeHardware = 2,
};

// Which of the two DCB normalisations runs: SetHandshake's, or Open's (which also clears the
// DSR flow and sensitivity bits).
enum class DcbNormalForm { SetHandshake, Open };

// Handles are file descriptors; these two values stand for the platform's null handle and for
// the invalid-handle value a failed open leaves behind.
inline constexpr long kNullHandle = -1;
inline constexpr long kInvalidHandle = -2;
inline constexpr int kInvalidSocket = -1;

inline constexpr size_t kUsbCarrySize = 64;
// A read takes everything waiting, up to this, in one call; Input hands it out as asked.
inline constexpr int kReadAheadSize = 4096;

struct OsVersionInfo {
    uint32_t dwPlatformId = 2;  // 2: the NT family, whose code paths this system takes
};

class IOComm {
  public:
    explicit IOComm(Clock& clock = SystemClock(), PortEnvironment environment = {});
    virtual ~IOComm();
    IOComm(const IOComm&) = delete;
    IOComm& operator=(const IOComm&) = delete;

    // Configuration and persisted settings.
    std::unique_ptr<SettingsKey> OpenSettingsKey();
    void ClassifyPort();
    int LoadSettings(SettingsKey* key);
    int ConfigureSerial(SettingsKey* key, const void* ownerWindow);
    bool SetHandshake(int handshake);
    void NormaliseDcb(DcbNormalForm form);
    int SetParity(uint8_t parity);
    int GetKind() const { return m_kind; }
    int GetHandshake() const { return m_handshake; }

    // Port discovery.
    std::string GetPortName(int index);
    std::string UsbSerialPortName(int index);
    std::string RememberedTcpPort(int index);
    std::string ResolveTcpPort(const std::string& name);
    int FindUsbPrinterPath();
    int UsbPortNumberMatches(const std::string& devicePath);

    // Port operations.
    long Open();
    long Open(const std::string& name, const std::string& setupText, int saveConfig);
    int Close();
    int Output(const uint8_t* bytes, int count);
    int Input(uint8_t* buffer, int size);
    int InputPending();
    int SetTimeouts(uint32_t total, uint32_t other);
    int SetBreak();
    int ClearBreak();
    int IsReady();
    // The modem lines of an open serial port (port/ModemControl.cpp): all of them as TIOCM_*
    // bits, and DTR or RTS raised or dropped at once. 0 (errno set) for any other port, and
    // where the port has no modem lines (a pseudo-terminal).
    int GetModemLines(int* lines);
    int SetModemLine(int line, bool raised);

    // The port layer gave the connection up: the device has gone, the printer dropped the
    // connection, or it took nothing for m_stallLimitMs while bytes waited. Until the next
    // Open, Output and Input then do nothing and InputPending says nothing waits; m_lastError
    // says why.
    bool ConnectionLost() const { return m_connectionLost; }
    // Waits while bytes are queued and the printer takes them, however slowly. Returns the
    // bytes still queued: 0 once all have left (or the queue cannot be read), more when the
    // connection was lost first.
    int WaitForOutputToLeave();
    // Called with the address before a TCP/IP connection is waited for, and about every 50 ms
    // while it is (at most 5 s), so a window can say what it waits for and keep painting.
    std::function<void(const std::string& address)> m_onConnectWait;

    // Configuration fields.
    std::string m_port = "COM2";
    std::string m_setupText;
    int m_saveConfig = 1;
    int m_kind = KindSerial;
    COMMCONFIG m_commConfig{};
    COMMTIMEOUTS m_timeouts{500, 40, 300, 30, 300};
    int m_handshake = HandshakeNone;
    uint32_t m_debugMode = 0;
    uint32_t m_resetWait = 1000;
    uint32_t m_electronicHexDump = 0;
    uint32_t m_printerNeverBusy = 0;
    // How long the printer may take nothing before the connection counts as lost; the
    // settings key's "PrinterStallTimeout" (ms) changes it.
    uint32_t m_stallLimitMs = kDefaultStallLimitMs;
    // How long a TCP/IP open waits for the printer to accept.
    uint32_t m_connectLimitMs = kDefaultConnectLimitMs;
    int m_settingsLoaded = 0;
    OsVersionInfo m_osVersion;

    // Open-port fields.
    long m_handle = kNullHandle;
    int m_socket = kInvalidSocket;
    sockaddr_in m_peer{};
    int m_readPending = 0;
    uint32_t m_lastCount = 0;
    std::string m_usbDevicePath;
    uint8_t m_carry[kUsbCarrySize]{};
    int m_carryCount = 0;
    int m_carryPos = 0;
    // Bytes read beyond what the caller of Input asked for (kinds other than USB printers).
    uint8_t m_readAhead[kReadAheadSize]{};
    int m_readAheadCount = 0;
    int m_readAheadPos = 0;
    // The descriptor already seen non-blocking: time-out changes then need no system call.
    long m_nonBlockingHandle = kNullHandle;
    int m_inputSinceOutput = 0;
    std::recursive_timed_mutex m_lock;
    int m_error = 0;
    std::string m_lastError;
    int m_lastReadCount = 0;
    int m_bytesWritten = 0;

    // Counters of the reopen logic. The program has one port object, so they count for the
    // process; each port object keeps its own, so no test has to reset them.
    int m_statusFailures = 0;
    uint32_t m_statusRetryDelay = 200;
    int m_readFailures = 0;
    uint32_t m_readRetryDelay = 200;

    // True while a descriptor or a connection is held. The invalid handle a failed open or
    // reopen leaves counts as closed.
    bool IsOpen() const;

  protected:
    // Sets m_error and m_lastError to `prefix` followed by the error code in decimal.
    void RecordFailure(const char* prefix, int error);
    // The connection is gone (port/ConnectionLoss.h): records why and stops the transfers.
    void MarkConnectionLost(const char* prefix, int error);
    // One look at the output queue; true, with the connection lost, once the printer has taken
    // nothing for the stall limit.
    bool CheckForStall(int queued);
    void CloseSocket();
    int WriteRaw(const uint8_t* bytes, int count, uint32_t* written);
    int ReadRaw(uint8_t* buffer, int size, uint32_t* count);
    // One read attempt that waits for `wanted` bytes as the time-outs say and takes up to
    // `capacity` of what is waiting.
    int ReadAheadRaw(uint8_t* buffer, int wanted, int capacity, uint32_t* count);

    // Helpers of discovery and the port operations (port/Port*.cpp).
    SystemCalls& Sys();
    // The backend of the current kind, made when the kind changes.
    PortBackend& Backend();
    SpoolerPorts& Spooler();
    long OpenTcp();
    long OpenDescriptor(const std::string& path);
    void RememberTcpAddress(const std::string& address);
    int ApplyCommTimeouts();
    void ReopenAfterBackOff(uint32_t& delay);
    int ReadUsbWithCarry(uint8_t* buffer, int size);
    int ReadWithReadAhead(uint8_t* buffer, int size);

    Clock& m_clock;
    PortEnvironment m_environment;
    // The address:port text the socket is connected to.
    std::string m_connectedAddress;
    std::unique_ptr<PortBackend> m_backend;
    int m_backendKind = 0;
    bool m_connectionLost = false;
    OutputStallWatch m_stall;

    // The backends work on the open-port fields above.
    friend class SerialBackend;
    friend class ParallelBackend;
    friend class DeviceBackend;
    friend class TcpBackend;
};

}  // namespace kestrel
