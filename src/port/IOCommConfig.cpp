// The port object's configuration: its kind, the persisted settings, the serial configuration
// and the handshake.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/AsciiText.h"
#include "platform/CommConfigDialog.h"
#include "platform/SerialPortConfig.h"
#include "platform/SerialSettingsText.h"
#include "platform/TtyDevice.h"
#include "port/DosDeviceNames.h"
#include "port/IOComm.h"
#include "port/PortBackend.h"

namespace kestrel {
namespace {

constexpr uint32_t kTimeoutFloorMs = 10;
constexpr size_t kParallelNameMax = 5;
constexpr size_t kTcpNameMin = 11;  // an address with a port is longer than 10 characters
constexpr std::string_view kDevicePrefix = "\\\\.\\COM";
constexpr size_t kDevicePrefixCompared = 5;
constexpr const char* kCommDataValue = "Comm data";
// Ours: how long a printer may take nothing, in ms, at least the floor.
constexpr const char* kStallTimeoutValue = "PrinterStallTimeout";
constexpr uint32_t kStallLimitFloorMs = 100;

// The DCB flag changes of SetHandshake and NormaliseDcb, with the values they come to.
constexpr uint32_t kHandshakeNoneClear =
    kDcbRtsControlMask | kDcbOutX | kDcbInX | kDcbDtrControlMask | kDcbOutxCtsFlow;
constexpr uint32_t kHandshakeXonClear = kDcbRtsControlMask | kDcbDtrControlMask;
constexpr uint32_t kHandshakeXonSet = kDcbOutX;
constexpr uint32_t kHandshakeHardwareClear = kDcbRtsControlEnable | kDcbOutX | kDcbInX;
constexpr uint32_t kHandshakeHardwareSet = kDcbRtsControlHandshake | kDcbOutxCtsFlow;
constexpr uint32_t kXonClearSetHandshakeForm = kDcbDtrControlMask | kDcbOutxCtsFlow;
constexpr uint32_t kXonClearOpenForm =
    kDcbDsrSensitivity | kDcbDtrControlMask | kDcbOutxDsrFlow | kDcbOutxCtsFlow;
constexpr uint32_t kXonSet = kDcbInX | kDcbTXContinueOnXoff;
constexpr uint32_t kCtsClear = kDcbInX | kDcbOutX | kDcbTXContinueOnXoff | kDcbDtrControlHandshake;
constexpr uint32_t kCtsSet = kDcbDtrControlEnable | kDcbOutxDsrFlow;
constexpr uint32_t kNoFlowClear =
    kDcbInX | kDcbOutX | kDcbTXContinueOnXoff | kDcbDtrControlMask | kDcbOutxDsrFlow;
static_assert(kHandshakeNoneClear == 0x3334 && kHandshakeXonClear == 0x3030 &&
              kHandshakeXonSet == 0x100 && kHandshakeHardwareClear == 0x1300 &&
              kHandshakeHardwareSet == 0x2004);
static_assert(kXonClearSetHandshakeForm == 0x34 && kXonClearOpenForm == 0x7C && kXonSet == 0x280 &&
              kCtsClear == 0x3A0 && kCtsSet == 0x18 && kNoFlowClear == 0x3B8);
constexpr uint16_t kXonLimit = 256;
constexpr uint16_t kXoffLimit = 100;

// The first `count` characters of `prefix`, compared without case.
bool PrefixMatches(std::string_view text, std::string_view prefix, size_t count) {
    return StartsWithNoCase(text, prefix.substr(0, count));
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A Linux device path is classified by what it is, so that neither its dots nor its colons
// (as in /dev/serial/by-path/...:1.0) make it a TCP/IP name.
int DevicePathKind(const std::string& path, const PortEnvironment& environment) {
    if (IsTtyDevice(path, environment.sysfsRoot)) {
        return KindSerial;
    }
    const std::string& dev = environment.devRoot;
    if (StartsWith(path, dev + "/usb/lp")) {
        return KindUsbPrinter;
    }
    if (StartsWith(path, dev + "/lp")) {
        return KindParallel;
    }
    // Names of ttys that are not plugged in right now.
    if (StartsWith(path, dev + "/pts/") || StartsWith(path, dev + "/tty") ||
        StartsWith(path, dev + "/serial/")) {
        return KindSerial;
    }
    return KindDevice;
}

int HandshakeOf(const DCB& dcb) {
    int handshake = HandshakeNone;
    if ((dcb.Flags & kDcbOutX) != 0) {
        handshake = HandshakeXonXoff;
    }
    if ((dcb.Flags & kDcbOutxCtsFlow) != 0) {
        handshake = HandshakeHardware;
    }
    return handshake;
}

// "Comm Data" is taken only whole: a shorter value is damage, not a partial configuration.
bool ReadCommData(const SettingsKey* key, COMMCONFIG* config) {
    if (key == nullptr) {
        return false;
    }
    COMMCONFIG stored{};
    size_t size = 0;
    if (!key->ReadBinary(kCommDataValue, &stored, sizeof stored, &size) || size != sizeof stored) {
        return false;
    }
    *config = stored;
    return true;
}

bool IsPortKind(uint32_t value) {
    return value >= KindSerial && value <= KindUsbPrinter;
}

}  // namespace

IOComm::IOComm(Clock& clock, PortEnvironment environment)
    : m_clock(clock), m_environment(std::move(environment)) {}

IOComm::~IOComm() {
    if (m_handle >= 0) {
        close(static_cast<int>(m_handle));
    }
    if (m_socket >= 0) {
        close(m_socket);
    }
}

std::unique_ptr<SettingsKey> IOComm::OpenSettingsKey() {
    const std::string path = SettingsKey::DefaultPath();
    for (const SettingsAccess access :
         {SettingsAccess::ReadWrite, SettingsAccess::ReadOnly, SettingsAccess::Create}) {
        if (std::unique_ptr<SettingsKey> key = SettingsKey::Open(path, access)) {
            return key;
        }
    }
    return nullptr;
}

void IOComm::ClassifyPort() {
    m_kind = KindDevice;
    if (!m_port.empty() && m_port.front() == '/') {
        m_kind = DevicePathKind(m_port, m_environment);
        return;
    }
    if (PrefixMatches(m_port, "COM", 3)) {
        m_kind = KindSerial;
    }
    if (PrefixMatches(m_port, "USB", 3)) {
        m_kind = KindUsbPrinter;
    }
    if (PrefixMatches(m_port, kDevicePrefix, kDevicePrefixCompared)) {
        m_kind = KindSerial;
    }
    if (PrefixMatches(m_port, "LPT", 3) && m_port.size() <= kParallelNameMax) {
        m_kind = KindParallel;
    }
    if (m_port.find('.') != std::string::npos && m_port.size() >= kTcpNameMin) {
        m_kind = KindTcp;
    }
    if (m_port.find(':') != std::string::npos && m_port.size() >= kTcpNameMin) {
        m_kind = KindTcp;
    }
}

int IOComm::LoadSettings(SettingsKey* key) {
    std::unique_ptr<SettingsKey> opened;
    if (key == nullptr) {
        opened = OpenSettingsKey();
        key = opened.get();
    }
    m_settingsLoaded = 1;
    if (key != nullptr) {
        uint32_t factor = 0;
        if (key->ReadDword("IOTimeOutFactor", &factor)) {
            m_timeouts = COMMTIMEOUTS{factor, factor, factor, factor, factor};
        }
        key->ReadDword("ReadIntervalTimeout", &m_timeouts.ReadIntervalTimeout);
        key->ReadDword("ReadTotalTimeoutMultiplier", &m_timeouts.ReadTotalTimeoutMultiplier);
        key->ReadDword("ReadTotalTimeoutConstant", &m_timeouts.ReadTotalTimeoutConstant);
        key->ReadDword("WriteTotalTimeoutMultiplier", &m_timeouts.WriteTotalTimeoutMultiplier);
        key->ReadDword("WriteTotalTimeoutConstant", &m_timeouts.WriteTotalTimeoutConstant);
        key->ReadDword("ResetWait", &m_resetWait);
        uint32_t portType = 0;
        // A kind this object does not know would leave Open without a way to open the port.
        if (key->ReadDword("PortType", &portType) && IsPortKind(portType)) {
            m_kind = static_cast<int>(portType);
        }
        key->ReadDword("ElectronicHexDump", &m_electronicHexDump);
        key->ReadDword("DebugMode", &m_debugMode);
        key->ReadDword("PrinterNeverBusy", &m_printerNeverBusy);
        if (key->ReadDword(kStallTimeoutValue, &m_stallLimitMs)) {
            m_stallLimitMs = std::max(m_stallLimitMs, kStallLimitFloorMs);
        }
    }
    for (uint32_t* timeout :
         {&m_timeouts.ReadIntervalTimeout, &m_timeouts.ReadTotalTimeoutMultiplier,
          &m_timeouts.ReadTotalTimeoutConstant, &m_timeouts.WriteTotalTimeoutMultiplier,
          &m_timeouts.WriteTotalTimeoutConstant}) {
        if (*timeout < kTimeoutFloorMs) {
            *timeout = kTimeoutFloorMs;
        }
    }
    if (!ReadCommData(key, &m_commConfig) && m_kind == KindSerial) {
        ConfigureSerial(key, nullptr);
    }
    m_handshake = HandshakeOf(m_commConfig.dcb);
    return 1;
}

int IOComm::ConfigureSerial(SettingsKey* key, const void* ownerWindow) {
    if (m_kind != KindSerial) {
        return 0;
    }
    std::unique_ptr<SettingsKey> opened;
    if (key == nullptr) {
        opened = OpenSettingsKey();
        key = opened.get();
    }
    const auto forgetConfiguration = [&] {
        if (key != nullptr) {
            key->DeleteValue(kCommDataValue);
        }
        m_saveConfig = 0;
    };
    const std::string name = DosDeviceName(m_port);
    const std::string device = DeviceForPortName(m_port, key, m_environment.devRoot);
    if (!GetDefaultCommConfig(device, &m_commConfig, m_environment.sysfsRoot)) {
        forgetConfiguration();
    }
    ReadCommData(key, &m_commConfig);
    bool configured = false;
    if (m_setupText.empty()) {
        CommConfigDialog* dialog = m_environment.configDialog;
        configured = dialog != nullptr && dialog->Run(name, ownerWindow, &m_commConfig);
    } else {
        configured = BuildCommDcb(m_setupText.c_str(), &m_commConfig.dcb);
    }
    if (!configured) {
        forgetConfiguration();
    }
    if (m_saveConfig == 1 && key != nullptr) {
        key->SetBinary(kCommDataValue, &m_commConfig, sizeof m_commConfig);
    }
    if (m_handle >= 0) {
        SetCommConfig(static_cast<int>(m_handle), m_commConfig);  // result not examined
    }
    m_handshake = HandshakeOf(m_commConfig.dcb);
    return 1;
}

bool IOComm::SetHandshake(int handshake) {
    m_handshake = handshake;
    uint32_t& flags = m_commConfig.dcb.Flags;
    bool known = true;
    switch (handshake) {
        case HandshakeNone:
            flags &= ~kHandshakeNoneClear;
            break;
        case HandshakeXonXoff:
            flags = (flags & ~kHandshakeXonClear) | kHandshakeXonSet;
            break;
        case HandshakeHardware:
            flags = (flags & ~kHandshakeHardwareClear) | kHandshakeHardwareSet;
            break;
        default:
            known = false;
            break;
    }
    NormaliseDcb(DcbNormalForm::SetHandshake);
    if (m_kind == KindSerial) {
        if ((flags & kDcbOutxCtsFlow) == 0) {
            flags &= ~kDcbDtrControlMask;
        }
        if (m_handle >= 0) {
            SetCommConfig(static_cast<int>(m_handle), m_commConfig);
        }
    }
    return known;
}

void IOComm::NormaliseDcb(DcbNormalForm form) {
    DCB& dcb = m_commConfig.dcb;
    dcb.Flags |= kDcbBinary;
    dcb.DCBlength = sizeof(DCB);
    if ((dcb.Flags & kDcbOutX) != 0) {
        dcb.XonLim = kXonLimit;
        dcb.XoffLim = kXoffLimit;
        dcb.XonChar = kXonChar;
        dcb.XoffChar = kXoffChar;
        dcb.Flags &= ~(form == DcbNormalForm::Open ? kXonClearOpenForm : kXonClearSetHandshakeForm);
        dcb.Flags |= kXonSet;
    }
    if ((dcb.Flags & kDcbOutxCtsFlow) != 0) {
        dcb.XonLim = 0;
        dcb.XoffLim = 0;
        dcb.XonChar = 0;
        dcb.XoffChar = 0;
        dcb.Flags = (dcb.Flags & ~kCtsClear) | kCtsSet;
    }
    if ((dcb.Flags & (kDcbOutxCtsFlow | kDcbOutX)) == 0) {
        dcb.XonLim = 0;
        dcb.XoffLim = 0;
        dcb.XonChar = 0;
        dcb.XoffChar = 0;
        dcb.Flags &= ~kNoFlowClear;
    }
}

int IOComm::SetParity(uint8_t parity) {
    DCB& dcb = m_commConfig.dcb;
    dcb.Flags = parity != kNoParity ? (dcb.Flags | kDcbParity) : (dcb.Flags & ~kDcbParity);
    dcb.Parity = parity;
    if (m_handle >= 0 && m_kind == KindSerial) {
        SetCommConfig(static_cast<int>(m_handle), m_commConfig);
    }
    return 1;
}

}  // namespace kestrel
