// Send Command, Reset and the sequence numbers on the wire, and the serial set-up of the
// command line, against the simulated printer and a pseudo-terminal.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <string>
#include <vector>

#include "console/ControlIds.h"
#include "platform/CommTypes.h"
#include "port/PortTestSupport.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"
#include "support/ConsoleTestFixture.h"
#include "support/PseudoTerminal.h"

namespace kestrel {
namespace {

using testing::ConsoleTest;
using testing::PseudoTerminal;
using testing::WaitUntil;

using Bytes = std::vector<uint8_t>;

class ConsoleSendTest : public ConsoleTest {
  protected:
    void SendCommand(const std::string& text) {
        m_host.SetItemText(IDC_CMDCOMBO, text);
        Click(IDC_SENDCOMMAND);
    }
    // Waits until the simulator has recorded `expected` as all it received.
    void ExpectReceived(const Bytes& expected) {
        std::string all;
        const std::string want = Hex(expected);
        WaitUntil([&] {
            all.clear();
            for (const std::string& line : RecordedHex()) {
                all += (all.empty() ? "" : " ") + line;
            }
            return all.size() >= want.size();
        });
        EXPECT_EQ(all, want);
    }
};

Bytes Concatenate(const std::vector<Bytes>& packets) {
    Bytes all;
    for (const Bytes& packet : packets) {
        all.insert(all.end(), packet.begin(), packet.end());
    }
    return all;
}

TEST_F(ConsoleSendTest, VentrixCommandsCarrySequenceNumbersResetAndDisabled) {
    StartSimulator("ventrix");
    Start({"ventrix"});
    OpenSimulatorPort();
    SetCheck(IDC_VENTRIXMODE, true);
    const Bytes request = {0x02, 0x12};
    SendCommand("<0x02><0x12>");
    SendCommand("<0x02><0x12>");
    Click(IDC_RESET);
    SendCommand("<0x02><0x12>");
    SetCheck(IDC_DISABLESEQUENCE, true);
    SendCommand("<0x02><0x12>");
    SendCommand("<0x02><0x12>");
    const auto packet = [](int sequence) {
        return BuildVentrixPacket(static_cast<uint8_t>(0x12 | (sequence << 6)), {});
    };
    ExpectReceived(Concatenate({packet(0), packet(1), packet(0), packet(0), packet(0)}));
    EXPECT_EQ(m_dlg->m_repeatAction, kRepeatSendCommand);
    EXPECT_EQ(m_dlg->m_logRefreshPending, 1);
}

TEST_F(ConsoleSendTest, SerialPacketsCountTheirSequenceOnTheWire) {
    StartSimulator("serial");
    Start({"ventrix"});
    OpenSimulatorPort();
    SetCheck(IDC_SERIALPACKETMODE, true);
    SendCommand("[ESC]@");
    SendCommand("AB");
    const Bytes escAt = {0x1B, 0x40};
    const Bytes ab = {0x41, 0x42};
    ExpectReceived(Concatenate({BuildSerialPacket(0, escAt), BuildSerialPacket(1, ab)}));
}

// What is not sent: nothing for an empty conversion, and a Ventrix command too long for one
// packet is refused whole with a message; a long command in Normal mode goes out whole.
TEST_F(ConsoleSendTest, EmptyAndOverlongCommandsSendNothing) {
    StartSimulator("normal");
    Start({"ventrix"});
    OpenSimulatorPort();
    SetCheck(IDC_VENTRIXMODE, true);
    SendCommand("");
    SendCommand("`only a comment");
    EXPECT_TRUE(m_host.m_messages.empty());
    SendCommand(std::string(253, 'V'));
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].caption, "Error");
    SetCheck(IDC_NORMALMODE, true);
    SendCommand(std::string(20000, 'N'));
    ExpectReceived(Bytes(20000, 'N'));
}

// The port under test is COM5 on a pseudo-terminal; the seam sees the break.
class ConsoleSerialTest : public ConsoleTest {
  protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        EXPECT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", m_pty.SlavePath()));
        m_environment.sys = &m_sys;
    }
    PseudoTerminal m_pty;
    testing::ScriptedSystemCalls m_sys;
    PortEnvironment m_environment;
};

TEST_F(ConsoleSerialTest, ResetHoldsABreakForHalfASecondAndRestartsTheNumbering) {
    std::vector<std::pair<unsigned long, uint64_t>> breaks;  // request, fake ms slept so far
    m_sys.onIoctl = [&](int, unsigned long request, void*) -> std::optional<int> {
        if (request == TIOCSBRK || request == TIOCCBRK) {
            breaks.emplace_back(request, m_clock.m_slept);
        }
        return std::nullopt;
    };
    Start({"ventrix"}, m_environment);
    m_app->m_portName = "COM5";
    Click(IDC_COMM);
    ASSERT_TRUE(m_dlg->m_portOpen) << m_app->m_ioComm.m_lastError;
    m_app->m_sequence.m_sequenceNumber = 2;
    Click(IDC_RESET);
    ASSERT_EQ(breaks.size(), 2u);
    EXPECT_EQ(breaks[0].first, static_cast<unsigned long>(TIOCSBRK));
    EXPECT_EQ(breaks[1].first, static_cast<unsigned long>(TIOCCBRK));
    EXPECT_EQ(breaks[1].second - breaks[0].second, 500u);
    EXPECT_EQ(m_app->m_sequence.m_sequenceNumber, 0);
}

TEST_F(ConsoleSerialTest, PortSetupStoresCommDataAndSetsTheLineSpeed) {
    Start({"port:COM5", "portsetup:19200,n,8,1"}, m_environment);
    COMMCONFIG stored{};
    auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::ReadOnly);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->ReadBinary("Comm Data", &stored, sizeof stored));
    EXPECT_EQ(stored.dcb.BaudRate, 19200u);
    EXPECT_EQ(stored.dcb.ByteSize, 8);
    termios line{};
    ASSERT_EQ(tcgetattr(m_pty.Master(), &line), 0);
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200));
}

// "handshake" takes its words in order, a later one overriding; "portsetup" with a text that is
// no serial setting drops the stored settings and leaves the line as it was.
TEST_F(ConsoleSerialTest, HandshakeAndPortSetupOptionsTakeTheirWordsAndRefuseNonsense) {
    struct Case {
        const char* option;
        int handshake;
    };
    for (const Case& test :
         {Case{"handshake:hardware", HandshakeHardware},
          Case{"handshake:hardwarenone", HandshakeNone}, Case{"handshake:XON", HandshakeNone}}) {
        Start({"port:COM5", test.option}, m_environment);
        EXPECT_EQ(m_app->m_ioComm.GetHandshake(), test.handshake) << test.option;
        End();
    }
    Start({"port:COM5", "portsetup:19200,n,8,1"}, m_environment);
    End();
    Start({"port:COM5", "portsetup:baud=abc"}, m_environment);
    COMMCONFIG stored{};
    auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::ReadOnly);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->ReadBinary("Comm Data", &stored, sizeof stored));
    termios line{};
    ASSERT_EQ(tcgetattr(m_pty.Master(), &line), 0);
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200));
}

}  // namespace
}  // namespace kestrel
