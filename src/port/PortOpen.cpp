// Opening and closing the port: the kinds held by a file descriptor. The TCP/IP open is in
// TcpPort.cpp.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/SerialPortConfig.h"
#include "platform/SerialSettingsText.h"
#include "port/DebugMode.h"
#include "port/DosDeviceNames.h"
#include "port/IOComm.h"
#include "port/OpenFailureText.h"
#include "port/SpoolerPorts.h"
#include "port/SystemCalls.h"
#include "port/SystemPortList.h"

namespace kestrel {

namespace {

constexpr size_t kSerialNameKept = 5;
constexpr const char* kDevicePrefix = "\\\\.\\";
constexpr int kDeviceOpenFlags = O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

bool BeginsWith(const std::string& text, char c) {
    return !text.empty() && text.front() == c;
}

bool IsDevicePath(const std::string& name) {
    return BeginsWith(name, '/');
}

// COM2 and COM12: become \\.\COM2 and \\.\COM12; a longer name keeps its first five characters.
void RewriteSerialName(std::string& port) {
    if (!BeginsWith(port, '\\')) {
        if (port.size() > kSerialNameKept) {
            port.resize(kSerialNameKept);
        }
        port = kDevicePrefix + port;
    }
    if (!port.empty() && port.back() == ':') {
        port.pop_back();
    }
}

bool IsSocketQueueName(SpoolerPorts& spooler, const std::string& name) {
    for (const std::string& queue : SocketQueueNames(spooler)) {
        if (queue == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

SystemCalls& IOComm::Sys() {
    return m_environment.sys != nullptr ? *m_environment.sys : RealSystemCalls();
}

long IOComm::Open(const std::string& name, const std::string& setupText, int saveConfig) {
    if (m_handle == kInvalidHandle) {
        m_handle = kNullHandle;
    }
    if (m_handle != kNullHandle) {
        return m_handle;
    }
    m_saveConfig = saveConfig;
    m_port = name;
    m_setupText = setupText;
    return Open();
}

long IOComm::Open() {
    if (m_handle == kInvalidHandle) {
        m_handle = kNullHandle;
    }
    if (m_handle != kNullHandle) {
        return m_handle;
    }
    if (m_connectionLost) {
        Close();  // a connection given up is never taken up again: the open makes a new one
    }
    m_connectionLost = false;
    m_stall.Restart();
    m_inputSinceOutput = 0;
    m_carryCount = 0;
    m_carryPos = 0;
    m_readAheadCount = 0;
    m_readAheadPos = 0;
    m_nonBlockingHandle = kNullHandle;
    m_lastReadCount = 0;
    m_bytesWritten = 0;
    m_error = 0;
    m_lastError.clear();
    if (m_port.empty()) {
        return 0;
    }
    ClassifyPort();
    std::string openName = m_port;
    if (m_settingsLoaded == 0) {
        LoadSettings(nullptr);
    }
    // A spooler queue printing to a raw socket is a TCP/IP port whatever its name looks like.
    if (m_kind == KindDevice && !IsDevicePath(m_port) && !BeginsWith(m_port, '\\') &&
        IsSocketQueueName(Spooler(), m_port)) {
        m_kind = KindTcp;
    }
    if (m_kind == KindTcp) {
        return OpenTcp();
    }
    CloseSocket();  // a connection left from a TCP/IP port is not carried over to this one
    if (m_kind == KindSerial || m_kind == KindParallel) {
        SetHandshake(m_handshake);
    }
    if (m_kind == KindSerial && !IsDevicePath(m_port)) {
        RewriteSerialName(m_port);
    }
    std::string path;
    if (m_kind == KindUsbPrinter && !IsDevicePath(openName)) {
        if (!FindUsbPrinterPath()) {
            return 0;
        }
        path = m_usbDevicePath;
    } else {
        if (!openName.empty() && openName.back() != ':' && !BeginsWith(openName, '\\') &&
            !IsDevicePath(openName)) {
            openName += ':';
        }
        const std::unique_ptr<SettingsKey> key = OpenSettingsKey();
        path = DeviceForPortName(openName, key.get(), m_environment.devRoot);
        if (path.empty()) {
            RecordFailure(kOpenFailedText, EINVAL);
            m_lastError += " (" + m_port + " is neither a device name nor an absolute path)";
            return 0;
        }
        if (m_kind == KindUsbPrinter) {
            m_usbDevicePath = path;
        }
    }
    if (OpenDescriptor(path) == 0) {
        return 0;
    }
    if (m_kind != KindSerial) {
        return m_handle;
    }
    NormaliseDcb(DcbNormalForm::Open);
    if ((m_commConfig.dcb.Flags & kDcbOutxCtsFlow) == 0) {
        m_commConfig.dcb.Flags &= ~kDcbDtrControlMask;
    }
    if (!m_setupText.empty()) {
        BuildCommDcb(m_setupText.c_str(), &m_commConfig.dcb);  // result not examined
    }
    if (!SetCommConfig(static_cast<int>(m_handle), m_commConfig)) {
        RecordFailure(kSetCommConfigFailedText, errno);
        if ((m_debugMode & kDebugIgnoreConfigFailures) != 0) {
            m_error = 0;  // the trace would get m_lastError + " Ignoring Error"
        }
    }
    if (m_error == 0 && !ApplyCommTimeouts()) {
        RecordFailure(kSetCommTimeoutsFailedText, errno);
        if ((m_debugMode & kDebugIgnoreConfigFailures) != 0) {
            m_error = 0;
        }
    }
    if (m_error == 0) {
        return m_handle;
    }
    const std::string failure = m_lastError;
    Close();
    m_lastError = failure;
    return 0;
}

long IOComm::OpenDescriptor(const std::string& path) {
    SystemCalls& sys = Sys();
    int fd = KeepAboveStandardStreams(sys, sys.Open(path.c_str(), kDeviceOpenFlags));
    // Only a device is a port: a file, folder or FIFO named as one (through a link, say) is
    // let go before anything is configured or written. Asked of the open descriptor, so the
    // path cannot be swapped between the check and the use.
    struct stat info {};
    if (fd >= 0 && (sys.Fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))) {
        sys.Close(fd);
        errno = ENODEV;
        fd = -1;
    }
    if (fd >= 0 && (m_kind == KindSerial || m_kind == KindParallel)) {
        // Held exclusively: TIOCEXCL keeps other openers out of a tty (root passes it), the
        // lock keeps out other programs that lock their ports, root included.
        sys.Ioctl(fd, TIOCEXCL, nullptr);
        if (sys.Flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno == EWOULDBLOCK ? EBUSY : errno;
            sys.Close(fd);
            errno = error;
            fd = -1;
        }
    }
    if (fd < 0) {
        const int error = errno;
        m_handle = kInvalidHandle;
        RecordFailure(kOpenFailedText, error);
        m_lastError += OpenFailureExplanation(path, error, m_kind == KindSerial);
        return 0;
    }
    m_handle = fd;
    return m_handle;
}

void IOComm::RecordFailure(const char* prefix, int error) {
    m_error = 1;
    m_lastError = prefix + std::to_string(error);
}

bool IOComm::IsOpen() const {
    return m_handle >= 0 || m_socket >= 0;
}

void IOComm::CloseSocket() {
    if (m_socket >= 0) {
        SystemCalls& sys = Sys();
        sys.Shutdown(m_socket, SHUT_RDWR);
        sys.Close(m_socket);
    }
    m_socket = kInvalidSocket;
    m_connectedAddress.clear();
}

// Closes whatever is open, whichever kind the port has now: a connection left from a TCP/IP
// name must not outlive a switch to another kind.
int IOComm::Close() {
    SystemCalls& sys = Sys();
    CloseSocket();
    if (m_handle >= 0) {
        const int fd = static_cast<int>(m_handle);
        if (m_kind == KindSerial) {
            sys.Ioctl(fd, TIOCNXCL, nullptr);
        }
        // The descriptor is released even when close reports an error, so it is never closed
        // a second time: by then its number may belong to someone else.
        sys.Close(fd);
    }
    m_handle = kNullHandle;
    m_inputSinceOutput = 0;
    return 1;
}

}  // namespace kestrel
