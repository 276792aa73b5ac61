#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "platform/CommConfigDialog.h"
#include "platform/SettingsKey.h"
#include "port/IOComm.h"
#include "support/FakeClock.h"
#include "support/PseudoTerminal.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::FakeClock;
using testing::PseudoTerminal;
using testing::ScratchFolder;

// Records what it was asked about; accepts with a changed rate, or cancels.
class FakeCommConfigDialog : public CommConfigDialog {
  public:
    bool Run(const std::string& portName, const void* ownerWindow, COMMCONFIG* config) override {
        ++m_calls;
        m_askedName = portName;
        m_owner = ownerWindow;
        m_shownRate = config->dcb.BaudRate;
        if (m_accept) {
            config->dcb.BaudRate = m_rateToSet;
        }
        return m_accept;
    }

    bool m_accept = true;
    uint32_t m_rateToSet = 38400;
    int m_calls = 0;
    std::string m_askedName;
    const void* m_owner = nullptr;
    uint32_t m_shownRate = 0;
};

class IOCommConfigTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder.UseAsSettings();
        m_environment.devRoot = m_folder.Path();  // unmapped DOS names lead nowhere real
        m_environment.configDialog = &m_dialog;
    }

    std::unique_ptr<SettingsKey> Key() {
        return SettingsKey::Open(m_folder.File("settings.reg"), SettingsAccess::Create);
    }

    std::unique_ptr<IOComm> Port(const std::string& name) {
        auto port = std::make_unique<IOComm>(m_clock, m_environment);
        port->m_port = name;
        return port;
    }

    bool HasCommData() {
        uint8_t bytes[sizeof(COMMCONFIG)];
        return Key()->ReadBinary("Comm Data", bytes, sizeof bytes);
    }

    ScratchFolder m_folder;
    FakeClock m_clock;
    FakeCommConfigDialog m_dialog;
    PortEnvironment m_environment;
};

TEST_F(IOCommConfigTest, ConstructionSetsTheDefaults) {
    IOComm port(m_clock);
    EXPECT_EQ(port.m_port, "COM2");
    EXPECT_EQ(port.m_setupText, "");
    EXPECT_EQ(port.m_saveConfig, 1);
    EXPECT_EQ(port.GetKind(), KindSerial);
    EXPECT_EQ(port.GetHandshake(), HandshakeNone);
    EXPECT_EQ(port.m_timeouts.ReadIntervalTimeout, 500u);
    EXPECT_EQ(port.m_timeouts.ReadTotalTimeoutMultiplier, 40u);
    EXPECT_EQ(port.m_timeouts.ReadTotalTimeoutConstant, 300u);
    EXPECT_EQ(port.m_timeouts.WriteTotalTimeoutMultiplier, 30u);
    EXPECT_EQ(port.m_timeouts.WriteTotalTimeoutConstant, 300u);
    EXPECT_EQ(port.m_resetWait, 1000u);
    EXPECT_EQ(port.m_debugMode, 0u);
    EXPECT_EQ(port.m_settingsLoaded, 0);
    EXPECT_EQ(port.m_osVersion.dwPlatformId, 2u);
    EXPECT_EQ(port.m_handle, kNullHandle);
    EXPECT_EQ(port.m_socket, kInvalidSocket);
    const COMMCONFIG zero{};
    EXPECT_EQ(std::memcmp(&port.m_commConfig, &zero, sizeof zero), 0);
}

TEST_F(IOCommConfigTest, DestructionClosesAnOpenHandle) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        IOComm port(m_clock);
        port.m_handle = fds[1];
    }
    char byte = 0;
    EXPECT_EQ(read(fds[0], &byte, 1), 0);  // end of file: the write end is closed
    close(fds[0]);
}

TEST_F(IOCommConfigTest, KindTable) {
    const std::pair<const char*, int> cases[] = {
        {"COM1", KindSerial},         {"com7:", KindSerial},
        {"\\\\.\\COM12", KindSerial}, {"\\\\.\\c", KindSerial},
        {"\\\\.\\", KindDevice},  // shorter than the five compared characters
        {"USB001", KindUsbPrinter},   {"LPT1", KindParallel},
        {"LPT1:", KindParallel},      {"lpt2:", KindParallel},
        {"LPT1.PRN", KindDevice},     {"IP_10.0.0.25", KindTcp},
        {"10.0.0.25:9100", KindTcp},  {"1.2.3.4:91", KindDevice},
        {"COM1.some.name", KindTcp},  // a later hit overrides an earlier one
        {"PRN", KindDevice},          {"", KindDevice},
    };
    for (const auto& [name, kind] : cases) {
        auto port = Port(name);
        port->ClassifyPort();
        EXPECT_EQ(port->GetKind(), kind) << name;
    }
}

TEST_F(IOCommConfigTest, DevicePathsAreClassifiedByWhatTheyAre) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    const std::string plain = m_folder.File("printer.out:12345.x");
    std::ofstream(plain) << "";
    PortEnvironment system;  // the real /dev
    const std::pair<std::string, int> cases[] = {
        {pty.SlavePath(), KindSerial},
        {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0", KindSerial},
        {"/dev/ttyUSB7", KindSerial},
        {"/dev/lp0", KindParallel},
        {"/dev/usb/lp1", KindUsbPrinter},
        {"/dev/null", KindDevice},
        {plain, KindDevice},
    };
    for (const auto& [name, kind] : cases) {
        IOComm port(m_clock, system);
        port.m_port = name;
        port.ClassifyPort();
        EXPECT_EQ(port.GetKind(), kind) << name;
    }
}

TEST_F(IOCommConfigTest, TimeoutFactorAloneGivesTheFloorToAll) {
    ASSERT_TRUE(Key()->SetDword("IOTimeOutFactor", 0));
    auto port = Port("LPT1");
    port->ClassifyPort();
    EXPECT_EQ(port->LoadSettings(nullptr), 1);
    EXPECT_EQ(port->m_settingsLoaded, 1);
    const COMMTIMEOUTS& t = port->m_timeouts;
    for (uint32_t value :
         {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
          t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant}) {
        EXPECT_EQ(value, 10u);
    }
}

TEST_F(IOCommConfigTest, TimeoutFactorComesFirstAndTheFloorIsUnsigned) {
    auto key = Key();
    ASSERT_TRUE(key->SetDword("IOTimeOutFactor", 50));
    ASSERT_TRUE(key->SetDword("ReadIntervalTimeout", 5));
    ASSERT_TRUE(key->SetDword("ReadTotalTimeoutConstant", 0xFFFFFFFFu));
    ASSERT_TRUE(key->SetDword("WriteTotalTimeoutConstant", 700));
    auto port = Port("LPT1");
    port->ClassifyPort();
    port->LoadSettings(key.get());
    EXPECT_EQ(port->m_timeouts.ReadIntervalTimeout, 10u);
    EXPECT_EQ(port->m_timeouts.ReadTotalTimeoutMultiplier, 50u);
    EXPECT_EQ(port->m_timeouts.ReadTotalTimeoutConstant, 0xFFFFFFFFu);
    EXPECT_EQ(port->m_timeouts.WriteTotalTimeoutMultiplier, 50u);
    EXPECT_EQ(port->m_timeouts.WriteTotalTimeoutConstant, 700u);
}

TEST_F(IOCommConfigTest, LoadSettingsReadsSwitchesAndPortType) {
    auto key = Key();
    ASSERT_TRUE(key->SetDword("ResetWait", 2500));
    ASSERT_TRUE(key->SetDword("PortType", KindTcp));
    ASSERT_TRUE(key->SetDword("ElectronicHexDump", 1));
    ASSERT_TRUE(key->SetDword("DebugMode", 3));
    ASSERT_TRUE(key->SetDword("PrinterNeverBusy", 1));
    auto port = Port("COM1");
    port->ClassifyPort();
    ASSERT_EQ(port->GetKind(), KindSerial);
    port->LoadSettings(nullptr);
    EXPECT_EQ(port->GetKind(), KindTcp);
    EXPECT_EQ(port->m_resetWait, 2500u);
    EXPECT_EQ(port->m_electronicHexDump, 1u);
    EXPECT_EQ(port->m_debugMode, 3u);
    EXPECT_EQ(port->m_printerNeverBusy, 1u);
    EXPECT_EQ(m_dialog.m_calls, 0);  // TCP/IP: no serial configuration asked for
    port->ClassifyPort();            // what the next open does
    EXPECT_EQ(port->GetKind(), KindSerial);

    ASSERT_TRUE(key->SetDword("PortType", 9));  // no such kind: ignored
    auto other = Port("LPT1");
    other->ClassifyPort();
    other->LoadSettings(key.get());
    EXPECT_EQ(other->GetKind(), KindParallel);
}

TEST_F(IOCommConfigTest, HandshakeIsDerivedFromTheStoredDcbHardwareWinning) {
    const std::pair<uint32_t, int> cases[] = {
        {kDcbOutX | kDcbOutxCtsFlow, HandshakeHardware},
        {kDcbOutX, HandshakeXonXoff},
        {kDcbOutxCtsFlow, HandshakeHardware},
        {kDcbInX | kDcbRtsControlHandshake, HandshakeNone},
    };
    for (const auto& [flags, handshake] : cases) {
        COMMCONFIG stored{};
        stored.dcb.Flags = flags;
        ASSERT_TRUE(Key()->SetBinary("Comm Data", &stored, sizeof stored));
        auto port = Port("COM1");
        port->ClassifyPort();
        port->LoadSettings(nullptr);
        EXPECT_EQ(port->GetHandshake(), handshake) << flags;
        EXPECT_EQ(port->m_commConfig.dcb.Flags, flags);
    }
}

TEST_F(IOCommConfigTest, ShortCommDataIsNotTaken) {
    COMMCONFIG stored{};
    stored.dcb.Flags = kDcbOutX;
    ASSERT_TRUE(Key()->SetBinary("Comm Data", &stored, sizeof stored - 1));
    auto port = Port("LPT1");
    port->ClassifyPort();
    port->LoadSettings(nullptr);
    EXPECT_EQ(port->m_commConfig.dcb.Flags, 0u);
    EXPECT_EQ(port->GetHandshake(), HandshakeNone);
}

TEST_F(IOCommConfigTest, SetHandshakeXonXoff) {
    auto port = Port("COM1");
    port->ClassifyPort();
    port->m_commConfig.dcb.Flags = kDcbOutxCtsFlow | kDcbDtrControlEnable |
                                   kDcbRtsControlHandshake | kDcbOutxDsrFlow | kDcbDsrSensitivity;
    EXPECT_TRUE(port->SetHandshake(HandshakeXonXoff));
    const DCB& dcb = port->m_commConfig.dcb;
    EXPECT_EQ(port->GetHandshake(), HandshakeXonXoff);
    EXPECT_EQ(dcb.XonLim, 256);
    EXPECT_EQ(dcb.XoffLim, 100);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.DCBlength, 28u);
    // fBinary, DSR flow and sensitivity (this form keeps them), continue-on-XOFF, fOutX, fInX.
    EXPECT_EQ(dcb.Flags, 0x1u | 0x8u | 0x40u | 0x80u | 0x100u | 0x200u);
}

TEST_F(IOCommConfigTest, SetHandshakeHardware) {
    auto port = Port("COM1");
    port->ClassifyPort();
    port->m_commConfig.dcb.Flags = kDcbOutX | kDcbInX | kDcbTXContinueOnXoff;
    port->m_commConfig.dcb.XonChar = 0x11;
    EXPECT_TRUE(port->SetHandshake(HandshakeHardware));
    const DCB& dcb = port->m_commConfig.dcb;
    EXPECT_EQ(dcb.Flags, kDcbBinary | kDcbOutxCtsFlow | kDcbOutxDsrFlow | kDcbDtrControlEnable |
                             kDcbRtsControlHandshake);
    EXPECT_EQ(dcb.XonLim, 0);
    EXPECT_EQ(dcb.XonChar, 0);
    EXPECT_EQ(port->GetHandshake(), HandshakeHardware);
}

TEST_F(IOCommConfigTest, SetHandshakeNoneDisablesDtrOnASerialPort) {
    auto port = Port("COM1");
    port->ClassifyPort();
    port->m_commConfig.dcb.Flags =
        kDcbOutxCtsFlow | kDcbDtrControlEnable | kDcbRtsControlHandshake | kDcbOutX | kDcbInX;
    EXPECT_TRUE(port->SetHandshake(HandshakeNone));
    EXPECT_EQ(port->m_commConfig.dcb.Flags, kDcbBinary);
    EXPECT_EQ(port->m_commConfig.dcb.Flags & kDcbDtrControlMask, 0u);
}

TEST_F(IOCommConfigTest, SetHandshakeWithAnUnknownValueStillNormalisesAndApplies) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    auto port = Port("COM1");
    port->ClassifyPort();
    port->m_handle = pty.OpenSlave();
    ASSERT_GE(port->m_handle, 0);
    port->m_commConfig.dcb = DCB{};
    port->m_commConfig.dcb.BaudRate = 19200;
    port->m_commConfig.dcb.ByteSize = 8;
    port->m_commConfig.dcb.Flags = kDcbOutX | kDcbDtrControlEnable;
    EXPECT_FALSE(port->SetHandshake(7));
    EXPECT_EQ(port->GetHandshake(), 7);
    const DCB& dcb = port->m_commConfig.dcb;
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.XonLim, 256);
    EXPECT_EQ(dcb.Flags, kDcbBinary | kDcbTXContinueOnXoff | kDcbOutX | kDcbInX);
    termios settings{};
    ASSERT_EQ(tcgetattr(static_cast<int>(port->m_handle), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B19200);
}

TEST_F(IOCommConfigTest, NormaliseDcbOpenFormAlsoClearsDsrBits) {
    auto port = Port("COM1");
    port->m_commConfig.dcb.Flags =
        kDcbOutX | kDcbOutxDsrFlow | kDcbDsrSensitivity | kDcbOutxCtsFlow;
    port->NormaliseDcb(DcbNormalForm::Open);
    EXPECT_EQ(port->m_commConfig.dcb.Flags, kDcbBinary | kDcbTXContinueOnXoff | kDcbOutX | kDcbInX);

    port->m_commConfig.dcb.Flags = kDcbOutxDsrFlow | kDcbDtrControlHandshake | kDcbErrorChar;
    port->m_commConfig.dcb.XoffLim = 7;
    port->NormaliseDcb(DcbNormalForm::Open);  // no flow control
    EXPECT_EQ(port->m_commConfig.dcb.Flags, kDcbBinary | kDcbErrorChar);
    EXPECT_EQ(port->m_commConfig.dcb.XoffLim, 0);
}

TEST_F(IOCommConfigTest, SetParityChangesTheDcbAndAnOpenSerialPort) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    auto port = Port("COM1");
    port->ClassifyPort();
    port->m_commConfig.dcb.BaudRate = 57600;
    port->m_commConfig.dcb.ByteSize = 8;
    EXPECT_EQ(port->SetParity(kMarkParity), 1);  // no port open: the DCB only
    EXPECT_EQ(port->m_commConfig.dcb.Parity, kMarkParity);
    EXPECT_NE(port->m_commConfig.dcb.Flags & kDcbParity, 0u);
    EXPECT_EQ(port->SetParity(kNoParity), 1);
    EXPECT_EQ(port->m_commConfig.dcb.Flags & kDcbParity, 0u);

    port->m_handle = pty.OpenSlave();
    ASSERT_GE(port->m_handle, 0);
    port->SetParity(kSpaceParity);
    termios settings{};
    ASSERT_EQ(tcgetattr(static_cast<int>(port->m_handle), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B57600);

    port->m_kind = KindDevice;  // applied only to serial ports
    port->m_commConfig.dcb.BaudRate = 2400;
    port->SetParity(kNoParity);
    ASSERT_EQ(tcgetattr(static_cast<int>(port->m_handle), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B57600);
}

class ConfigureSerialTest : public IOCommConfigTest {
  protected:
    void SetUp() override {
        IOCommConfigTest::SetUp();
        ASSERT_TRUE(m_pty.Ok());
        const std::string& path = m_pty.SlavePath();
        ASSERT_TRUE(Key()->SetString("COM3", path.c_str(), path.size() + 1));
    }
    PseudoTerminal m_pty;
};

TEST_F(ConfigureSerialTest, NotASerialPortDoesNothing) {
    auto port = Port("LPT1");
    port->ClassifyPort();
    EXPECT_EQ(port->ConfigureSerial(nullptr, nullptr), 0);
    EXPECT_EQ(m_dialog.m_calls, 0);
    EXPECT_FALSE(HasCommData());
}

TEST_F(ConfigureSerialTest, BothFormsOfTheNameAskAboutCom3) {
    for (const char* name : {"\\\\.\\COM3", "COM3:"}) {
        Key()->DeleteValue("Comm data");
        m_dialog = FakeCommConfigDialog();
        auto port = Port(name);
        port->ClassifyPort();
        int owner = 0;
        EXPECT_EQ(port->ConfigureSerial(nullptr, &owner), 1);
        EXPECT_EQ(m_dialog.m_askedName, "COM3") << name;
        EXPECT_EQ(m_dialog.m_owner, &owner);
        // The defaults of the pseudo-terminal that COM3 maps to reached the dialog.
        EXPECT_EQ(m_dialog.m_shownRate, 9600u) << name;
        EXPECT_EQ(port->m_saveConfig, 1) << name;
        EXPECT_EQ(port->m_commConfig.dcb.BaudRate, 38400u);
        EXPECT_TRUE(HasCommData()) << name;
    }
}

TEST_F(ConfigureSerialTest, SavedConfigurationIsLoadedByTheNextObject) {
    auto port = Port("COM3");
    port->ClassifyPort();
    port->m_setupText = "baud=4800 parity=e data=7 stop=2 octs=on";
    ASSERT_EQ(port->ConfigureSerial(nullptr, nullptr), 1);
    EXPECT_EQ(m_dialog.m_calls, 0);  // a settings text needs no dialog
    EXPECT_EQ(port->GetHandshake(), HandshakeHardware);

    auto next = Port("COM3");
    next->ClassifyPort();
    next->LoadSettings(nullptr);
    EXPECT_EQ(std::memcmp(&next->m_commConfig, &port->m_commConfig, sizeof(COMMCONFIG)), 0);
    EXPECT_EQ(next->m_commConfig.dcb.BaudRate, 4800u);
    EXPECT_EQ(next->m_commConfig.dcb.StopBits, kTwoStopBits);
    EXPECT_EQ(next->GetHandshake(), HandshakeHardware);
    EXPECT_EQ(m_dialog.m_calls, 0);
}

TEST_F(ConfigureSerialTest, StoredCommDataReplacesTheDefaults) {
    COMMCONFIG stored{};
    stored.dwSize = sizeof stored;
    stored.dcb.BaudRate = 1200;
    stored.dcb.ByteSize = 8;
    ASSERT_TRUE(Key()->SetBinary("Comm Data", &stored, sizeof stored));
    m_dialog.m_accept = false;
    auto port = Port("COM3");
    port->ClassifyPort();
    port->ConfigureSerial(nullptr, nullptr);
    EXPECT_EQ(m_dialog.m_shownRate, 1200u);
}

TEST_F(ConfigureSerialTest, CancelledOrMissingDialogDeletesTheStoredConfiguration) {
    COMMCONFIG stored{};
    stored.dcb.BaudRate = 1200;
    for (CommConfigDialog* dialog :
         {static_cast<CommConfigDialog*>(&m_dialog), static_cast<CommConfigDialog*>(nullptr)}) {
        ASSERT_TRUE(Key()->SetBinary("Comm Data", &stored, sizeof stored));
        m_dialog.m_accept = false;
        m_environment.configDialog = dialog;
        auto port = Port("COM3");
        port->ClassifyPort();
        EXPECT_EQ(port->ConfigureSerial(nullptr, nullptr), 1);
        EXPECT_EQ(port->m_saveConfig, 0);
        EXPECT_FALSE(HasCommData());
        EXPECT_EQ(port->m_commConfig.dcb.BaudRate, 1200u);  // the DCB keeps what it had
    }
}

TEST_F(ConfigureSerialTest, RefusedSettingsTextSavesNothing) {
    auto port = Port("COM3");
    port->ClassifyPort();
    port->m_setupText = "9600,n,9,1";
    EXPECT_EQ(port->ConfigureSerial(nullptr, nullptr), 1);
    EXPECT_EQ(port->m_saveConfig, 0);
    EXPECT_FALSE(HasCommData());
    EXPECT_EQ(port->m_commConfig.dcb.BaudRate, 9600u);  // the defaults stay
}

TEST_F(ConfigureSerialTest, UnknownPortSavesNothingEvenWhenTheDialogAccepts) {
    auto port = Port("COM4");  // not mapped, and no ttyS3 under the test's device folder
    port->ClassifyPort();
    EXPECT_EQ(port->ConfigureSerial(nullptr, nullptr), 1);
    EXPECT_EQ(m_dialog.m_calls, 1);
    EXPECT_EQ(port->m_saveConfig, 0);
    EXPECT_FALSE(HasCommData());
}

TEST_F(ConfigureSerialTest, OpenPortGetsTheNewConfiguration) {
    auto port = Port("COM3");
    port->ClassifyPort();
    port->m_handle = m_pty.OpenSlave();
    ASSERT_GE(port->m_handle, 0);
    port->m_setupText = "19200,n,8,1";
    port->ConfigureSerial(nullptr, nullptr);
    termios settings{};
    ASSERT_EQ(tcgetattr(static_cast<int>(port->m_handle), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B19200);
}

TEST_F(ConfigureSerialTest, FirstLoadWithoutCommDataRunsTheDialog) {
    auto port = Port("COM3");
    port->ClassifyPort();
    port->LoadSettings(nullptr);
    EXPECT_EQ(m_dialog.m_calls, 1);
    EXPECT_EQ(m_dialog.m_owner, nullptr);
    EXPECT_TRUE(HasCommData());
}

TEST_F(IOCommConfigTest, UnusableSettingsPathLeavesTheDefaults) {
    setenv("KESTREL_SETTINGS", "/proc/kestrel-none/settings.reg", 1);
    auto port = Port("COM3");
    EXPECT_EQ(port->OpenSettingsKey(), nullptr);
    port->ClassifyPort();
    EXPECT_EQ(port->LoadSettings(nullptr), 1);
    EXPECT_EQ(port->m_timeouts.ReadIntervalTimeout, 500u);
    EXPECT_EQ(port->m_saveConfig, 0);  // COM3 is unknown here, so nothing would be saved
}

TEST_F(IOCommConfigTest, OpenSettingsKeyCreatesTheFileWhenMissing) {
    m_folder.UseAsSettings("sub/dir/new.reg");
    IOComm port(m_clock);
    auto key = port.OpenSettingsKey();
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->SetDword("ResetWait", 1));
    EXPECT_NE(SettingsKey::Open(m_folder.File("sub/dir/new.reg"), SettingsAccess::ReadOnly),
              nullptr);
}

}  // namespace
}  // namespace kestrel
