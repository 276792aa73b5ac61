#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>

#include "port/IOComm.h"
#include "port/PeerReader.h"
#include "port/PortTestSupport.h"
#include "support/FakeClock.h"
#include "support/PseudoTerminal.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::Fail;
using testing::FakeClock;
using testing::FakeDeviceTree;
using testing::FakeSpooler;
using testing::Milliseconds;
using testing::PseudoTerminal;
using testing::ScratchFolder;
using testing::ScriptedSystemCalls;

// COM5 is a pseudo-terminal through the settings key; the far end stands for the printer.
class SerialPortTest : public ::testing::Test {
  protected:
    SerialPortTest() : m_tree(m_folder.Path()) {
        m_folder.UseAsSettings();
        EXPECT_TRUE(m_pty.Ok());
        EXPECT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", m_pty.SlavePath()));
        m_port = std::make_unique<IOComm>(m_clock, m_tree.Environment(&m_sys, &m_spooler));
    }

    long OpenCom5() { return m_port->Open("COM5", "9600,n,8,1", 1); }

    std::string Received(size_t expected) {
        return testing::ReadFromPeer(m_pty.Master(), expected);
    }

    void PrinterSends(const std::string& text) {
        ASSERT_EQ(write(m_pty.Master(), text.data(), text.size()),
                  static_cast<ssize_t>(text.size()));
    }

    ScratchFolder m_folder;
    FakeDeviceTree m_tree;
    PseudoTerminal m_pty;
    ScriptedSystemCalls m_sys;
    FakeSpooler m_spooler;
    FakeClock m_clock;
    std::unique_ptr<IOComm> m_port;
};

TEST_F(SerialPortTest, OpenRewritesTheNameAndAppliesTheConfiguration) {
    const long handle = m_port->Open("COM5", "19200,n,8,2", 1);
    ASSERT_GE(handle, 3) << m_port->m_lastError;
    EXPECT_EQ(m_port->m_port, "\\\\.\\COM5");
    EXPECT_EQ(m_port->GetKind(), KindSerial);
    EXPECT_EQ(m_sys.opened.back(), m_pty.SlavePath());
    termios settings{};
    ASSERT_EQ(tcgetattr(static_cast<int>(handle), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B19200));
    EXPECT_EQ(m_port->m_commConfig.dcb.BaudRate, 19200u);
    EXPECT_EQ(m_port->m_commConfig.dcb.StopBits, kTwoStopBits);
    EXPECT_NE(settings.c_cflag & CSTOPB, 0u);
    // Held exclusively: the tty is marked and the descriptor locked.
    EXPECT_EQ(m_sys.CountIoctls(TIOCEXCL), 1u);
    EXPECT_EQ(m_port->m_error, 0);
    EXPECT_EQ(m_port->m_lastError, "");

    // Open on an open port returns the handle and ignores the new name.
    EXPECT_EQ(m_port->Open("COM9", "", 1), handle);
    EXPECT_EQ(m_port->m_port, "\\\\.\\COM5");

    // A second open after Close keeps the rewritten name and reaches the same device.
    EXPECT_EQ(m_port->Close(), 1);
    EXPECT_EQ(m_port->m_handle, kNullHandle);
    EXPECT_GE(m_port->Open(), 3) << m_port->m_lastError;
    EXPECT_EQ(m_port->m_port, "\\\\.\\COM5");
    EXPECT_EQ(m_sys.opened.back(), m_pty.SlavePath());
}

TEST_F(SerialPortTest, LongAndColonNamesAreCutToTheirFirstFiveCharacters) {
    PseudoTerminal second;
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM12", second.SlavePath()));
    ASSERT_GE(m_port->Open("COM12:", "", 1), 3) << m_port->m_lastError;
    EXPECT_EQ(m_port->m_port, "\\\\.\\COM12");
    EXPECT_EQ(m_sys.opened.back(), second.SlavePath());
    m_port->Close();
    ASSERT_GE(m_port->Open("\\\\.\\COM5", "", 1), 3);
    EXPECT_EQ(m_port->m_port, "\\\\.\\COM5");
    m_port->Close();
    // A device path is opened as given and keeps its name.
    ASSERT_GE(m_port->Open(m_pty.SlavePath(), "", 1), 3);
    EXPECT_EQ(m_port->m_port, m_pty.SlavePath());
    EXPECT_EQ(m_port->GetKind(), KindSerial);
}

TEST_F(SerialPortTest, BytesBothWays) {
    ASSERT_GE(OpenCom5(), 3);
    const uint8_t out[] = {0x1B, '@', 0x00, 0xFF, 'A'};
    EXPECT_EQ(m_port->Output(out, sizeof out), 1);
    EXPECT_EQ(m_port->m_bytesWritten, 5);
    EXPECT_EQ(Received(5), std::string(reinterpret_cast<const char*>(out), sizeof out));

    PrinterSends(std::string("\x02\x12\x00xyz", 6));
    m_port->SetTimeouts(500, 0);
    uint8_t in[16]{};
    EXPECT_EQ(m_port->Input(in, 6), 6);
    EXPECT_EQ(std::memcmp(in, "\x02\x12\x00xyz", 6), 0);
    EXPECT_EQ(m_port->m_lastReadCount, 6);

    // Nothing waiting: the read ends at its limit, delivers nothing and says so.
    m_port->SetTimeouts(1, 0);
    EXPECT_EQ(m_port->Input(in, 1), 0);
    EXPECT_EQ(m_port->m_error, 1);
    // The code is the last one the read met: EAGAIN, nothing there.
    EXPECT_EQ(m_port->m_lastError, "IOComm::Input() failed, GetLastError() returned: 11");
    EXPECT_EQ(m_port->m_readFailures, 0);  // no data is not a failure of the port
}

// The status read tick's pattern: one byte per Input, the time-outs set again after each byte.
TEST_F(SerialPortTest, AWaitingBurstIsReadInOneCallAndHandedOutByteByByte) {
    ASSERT_GE(OpenCom5(), 3);
    std::string burst;
    for (int i = 0; i < 300; ++i) {
        burst.push_back(static_cast<char>(i));
    }
    PrinterSends(burst);
    usleep(20000);  // the pseudo-terminal passes the bytes on asynchronously
    const int readsBefore = m_sys.reads;
    const int fcntlsBefore = m_sys.fcntls;
    std::string got;
    m_port->SetTimeouts(1, 0);
    uint8_t byte = 0;
    while (m_port->Input(&byte, 1) == 1) {
        got.push_back(static_cast<char>(byte));
        m_port->SetTimeouts(30, 0);
    }
    EXPECT_EQ(got, burst);
    // The burst, then the read that finds nothing and the one after the wait ran out.
    EXPECT_LE(m_sys.reads - readsBefore, 3);
    EXPECT_EQ(m_sys.fcntls, fcntlsBefore);
}

TEST_F(SerialPortTest, TimeoutsAreGivenToTheWaitToTheMillisecond) {
    ASSERT_GE(OpenCom5(), 3);
    uint8_t in[8];
    m_sys.onPoll = [](pollfd*, const timespec*) { return std::optional<int>(0); };
    m_port->SetTimeouts(250, 0);
    m_sys.pollLimits.clear();
    EXPECT_EQ(m_port->Input(in, 1), 0);
    ASSERT_EQ(m_sys.pollLimits.size(), 1u);
    ASSERT_TRUE(m_sys.pollLimits[0]);
    // What is left of the limit when the wait starts, to the millisecond.
    EXPECT_LE(Milliseconds(*m_sys.pollLimits[0]), 250);
    EXPECT_GE(Milliseconds(*m_sys.pollLimits[0]), 240);

    m_port->SetTimeouts(1, 0);
    m_sys.pollLimits.clear();
    m_port->Input(in, 1);
    ASSERT_EQ(m_sys.pollLimits.size(), 1u);
    EXPECT_LE(Milliseconds(*m_sys.pollLimits[0]), 1);

    // After the first byte, no gap may exceed the interval. A byte already waiting is read
    // without any wait.
    m_sys.onPoll = nullptr;
    m_port->SetTimeouts(1000, 20);  // total 20 x 4 + 1000 ms, interval 20 ms
    PrinterSends("Q");
    int waiting = 0;
    for (int round = 0; round < 100 && waiting == 0; ++round) {
        poll(nullptr, 0, 5);
        ioctl(static_cast<int>(m_port->m_handle), FIONREAD, &waiting);
    }
    m_sys.pollLimits.clear();
    const int got = m_port->Input(in, 4);
    EXPECT_EQ(got, 1);
    ASSERT_EQ(m_sys.pollLimits.size(), 1u);
    EXPECT_EQ(Milliseconds(*m_sys.pollLimits[0]), 20);
}

TEST_F(SerialPortTest, WriteLimitAndRefusedWrites) {
    ASSERT_GE(OpenCom5(), 3);
    m_port->SetTimeouts(100, 10);
    // The line takes nothing: each attempt waits its limit, 10 x 3 + 100 ms.
    m_sys.onWrite = [](int, const void*, size_t) { return Fail<ssize_t>(EAGAIN); };
    m_sys.onPoll = [](pollfd* fds, const timespec*) {
        return fds[0].events == POLLOUT ? std::optional<int>(0) : std::nullopt;
    };
    const uint8_t out[] = {1, 2, 3};
    m_sys.pollLimits.clear();
    EXPECT_EQ(m_port->Output(out, 3), 0);
    EXPECT_EQ(m_port->m_bytesWritten, 0);
    EXPECT_EQ(m_port->m_error, 1);
    ASSERT_EQ(m_sys.pollLimits.size(), 5u);  // five attempts, then it gives up
    EXPECT_EQ(Milliseconds(*m_sys.pollLimits[0]), 130);
    EXPECT_EQ(m_clock.m_slept, 5u * 200);

    // A write that "succeeds" with nothing written is bounded the same way.
    m_sys.onWrite = [](int, const void*, size_t) { return std::optional<ssize_t>(0); };
    m_sys.writeSizes.clear();
    m_clock.m_slept = 0;
    EXPECT_EQ(m_port->Output(out, 3), 0);
    EXPECT_EQ(m_sys.writeSizes.size(), 5u);
    EXPECT_EQ(m_clock.m_slept, 5u * 200);

    // Short writes are carried on until everything is out.
    m_sys.onWrite = [this](int fd, const void* bytes, size_t size) {
        return std::optional<ssize_t>(m_sys.SystemCalls::Write(fd, bytes, (size + 1) / 2));
    };
    m_sys.onPoll = nullptr;
    m_sys.writeSizes.clear();
    std::string text(100, 'x');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    EXPECT_EQ(m_port->Output(reinterpret_cast<const uint8_t*>(text.data()), 100), 1);
    EXPECT_EQ(m_port->m_bytesWritten, 100);
    EXPECT_EQ(m_sys.writeSizes.front(), 100u);
    EXPECT_GT(m_sys.writeSizes.size(), 5u);
    EXPECT_EQ(Received(100), text);
}

TEST_F(SerialPortTest, BreakAndOutputQueue) {
    ASSERT_GE(OpenCom5(), 3);
    EXPECT_EQ(m_port->SetBreak(), 1);
    EXPECT_EQ(m_port->ClearBreak(), 1);
    EXPECT_EQ(m_sys.CountIoctls(TIOCSBRK), 1u);
    EXPECT_EQ(m_sys.CountIoctls(TIOCCBRK), 1u);

    // Received bytes waiting do not count: only what is still to be sent.
    PrinterSends("waiting");
    EXPECT_EQ(m_port->InputPending(), 0);
    m_sys.onIoctl = [](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != TIOCOUTQ) {
            return std::nullopt;
        }
        *static_cast<int*>(argument) = 17;
        return 0;
    };
    EXPECT_EQ(m_port->InputPending(), 17);
    // A query that fails while the device is still there (a device that has gone is a lost
    // connection instead).
    m_sys.onIoctl = [](int, unsigned long request, void*) {
        return request == TIOCOUTQ ? Fail<int>(EINVAL) : std::nullopt;
    };
    EXPECT_EQ(m_port->InputPending(), 200);
    m_port->m_debugMode = 2;
    EXPECT_EQ(m_port->InputPending(), 0);

    m_port->Close();
    EXPECT_EQ(m_port->InputPending(), 0);
    EXPECT_EQ(m_port->SetBreak(), 0);
}

TEST_F(SerialPortTest, HardwareHandshakeWaitsForDsrAndReopensAfterFourFailures) {
    ASSERT_GE(OpenCom5(), 3);
    EXPECT_TRUE(m_port->SetHandshake(HandshakeHardware));
    int lines = TIOCM_DSR;
    bool fail = false;
    m_sys.onIoctl = [&](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != TIOCMGET) {
            return std::nullopt;
        }
        if (fail) {
            return Fail<int>(EIO);
        }
        *static_cast<int*>(argument) = lines;
        return 0;
    };
    EXPECT_EQ(m_port->IsReady(), 1);
    lines = TIOCM_CTS;
    EXPECT_EQ(m_port->IsReady(), 0);
    const uint8_t byte = 'x';
    EXPECT_EQ(m_port->Output(&byte, 1), 0);  // not ready: nothing is written
    EXPECT_EQ(m_port->m_bytesWritten, 0);

    fail = true;
    const size_t opens = m_sys.opened.size();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_port->IsReady(), 0);
    }
    EXPECT_EQ(m_sys.opened.size(), opens);
    EXPECT_EQ(m_clock.m_slept, 0u);
    // From the fourth failure on, each one closes, waits, reopens and asks again; the wait
    // grows by a second up to eight.
    std::vector<uint64_t> waits;
    for (int i = 0; i < 10; ++i) {
        const uint64_t before = m_clock.m_slept;
        EXPECT_EQ(m_port->IsReady(), 0);
        waits.push_back(m_clock.m_slept - before);
    }
    EXPECT_EQ(waits,
              (std::vector<uint64_t>{200, 1200, 2200, 3200, 4200, 5200, 6200, 7200, 8000, 8000}));
    EXPECT_EQ(m_sys.opened.size(), opens + 10);
    // A query that answers after the reopen starts the back-off again.
    fail = false;
    lines = TIOCM_DSR;
    EXPECT_EQ(m_port->IsReady(), 1);
    EXPECT_EQ(m_port->m_statusFailures, 3 + 10);  // the count is reset only after a reopen
    fail = true;
    const uint64_t before = m_clock.m_slept;
    m_sys.onIoctl = [&](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != TIOCMGET) {
            return std::nullopt;
        }
        // Fails once, answers after the reopen.
        if (fail) {
            fail = false;
            return Fail<int>(EIO);
        }
        *static_cast<int*>(argument) = TIOCM_DSR;
        return 0;
    };
    EXPECT_EQ(m_port->IsReady(), 1);
    EXPECT_EQ(m_clock.m_slept - before, 8000u);
    EXPECT_EQ(m_port->m_statusFailures, 0);
    EXPECT_EQ(m_port->m_statusRetryDelay, 200u);
}

TEST_F(SerialPortTest, XonXoffIsReadyUnlessTheQueryFails) {
    ASSERT_GE(OpenCom5(), 3);
    m_port->SetHandshake(HandshakeXonXoff);
    EXPECT_EQ(m_port->IsReady(), 1);
    m_sys.onIoctl = [](int, unsigned long request, void*) {
        return request == TIOCOUTQ ? Fail<int>(EIO) : std::nullopt;
    };
    EXPECT_EQ(m_port->IsReady(), 0);
    uint8_t in[4];
    EXPECT_EQ(m_port->Input(in, 4), 0);
}

TEST_F(SerialPortTest, ReadFailuresReopenWithAGrowingBackOff) {
    ASSERT_GE(OpenCom5(), 3);
    bool fail = true;  // a read error of a device that is still there
    m_sys.onPoll = [](pollfd* fds, const timespec*) -> std::optional<int> {
        fds[0].revents = POLLIN;
        return 1;
    };
    m_sys.onRead = [&](int, void* buffer, size_t) -> std::optional<ssize_t> {
        if (fail) {
            return Fail<ssize_t>(EPROTO);
        }
        static_cast<uint8_t*>(buffer)[0] = 'k';
        return 1;
    };
    uint8_t in[1];
    const size_t opens = m_sys.opened.size();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_port->Input(in, 1), 0);
        EXPECT_EQ(m_port->m_lastError, "IOComm::Input() failed, GetLastError() returned: 71");
    }
    EXPECT_EQ(m_sys.opened.size(), opens);
    std::vector<uint64_t> waits;
    for (int i = 0; i < 9; ++i) {
        const uint64_t before = m_clock.m_slept;
        EXPECT_EQ(m_port->Input(in, 1), 0);
        waits.push_back(m_clock.m_slept - before);
    }
    EXPECT_EQ(waits, (std::vector<uint64_t>{200, 1200, 2200, 3200, 4200, 5200, 6200, 7200, 8000}));
    EXPECT_EQ(m_sys.opened.size(), opens + 9);
    // A plain success leaves the counters; a read that succeeds after a reopen resets them.
    fail = false;
    EXPECT_EQ(m_port->Input(in, 1), 1);
    EXPECT_EQ(in[0], 'k');
    EXPECT_EQ(m_port->m_readFailures, 3 + 9);
    int failOnce = 1;
    m_sys.onRead = [&](int, void* buffer, size_t) -> std::optional<ssize_t> {
        if (failOnce-- > 0) {
            return Fail<ssize_t>(EPROTO);
        }
        static_cast<uint8_t*>(buffer)[0] = 'm';
        return 1;
    };
    const uint64_t before = m_clock.m_slept;
    EXPECT_EQ(m_port->Input(in, 1), 1);
    EXPECT_EQ(in[0], 'm');
    EXPECT_EQ(m_clock.m_slept - before, 8000u);
    EXPECT_EQ(m_port->m_readFailures, 0);
    EXPECT_EQ(m_port->m_readRetryDelay, 200u);
}

// A device that goes away (a pseudo-terminal closed under the port, a USB adapter pulled out)
// is a lost connection at the first call that meets it, whether that drains, writes or reads:
// no retry, no reopen, no wait.
TEST_F(SerialPortTest, ATtyThatDisappearsIsALostConnectionAtOnce) {
    const std::string link = m_folder.Path() + "/vanishing-tty";
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM7", link));
    uint8_t bytes[8] = {1};
    const std::pair<const char*, std::function<int()>> firstCalls[] = {
        {"drain", [&] { return m_port->InputPending(); }},
        {"write", [&] { return m_port->Output(bytes, 8); }},
        {"read", [&] { return m_port->Input(bytes, 8); }},
    };
    for (const auto& [what, call] : firstCalls) {
        SCOPED_TRACE(what);
        auto pty = std::make_unique<PseudoTerminal>();
        // Reached through a link that goes away with the device, as a by-id name does.
        ASSERT_EQ(symlink(pty->SlavePath().c_str(), link.c_str()), 0);
        ASSERT_GE(m_port->Open("COM7", "", 1), 3);
        m_port->SetTimeouts(1000, 10);
        pty.reset();  // the device goes away
        unlink(link.c_str());
        const size_t opens = m_sys.opened.size();
        const uint64_t slept = m_clock.m_slept;
        EXPECT_EQ(call(), 0);
        EXPECT_TRUE(m_port->ConnectionLost());
        EXPECT_NE(m_port->m_lastError.find("returned: 5 (the device has gone)"), std::string::npos)
            << m_port->m_lastError;
        // From then on every call returns at once without touching the device.
        const int reads = m_sys.reads;
        const size_t writes = m_sys.writeSizes.size();
        for (const auto& [other, again] : firstCalls) {
            EXPECT_EQ(again(), 0) << other;
        }
        EXPECT_EQ(m_clock.m_slept, slept);
        EXPECT_EQ(m_sys.opened.size(), opens);
        EXPECT_EQ(m_sys.reads, reads);
        EXPECT_EQ(m_sys.writeSizes.size(), writes);
        m_port->Close();
    }
}

TEST_F(SerialPortTest, HeldExclusively) {
    ASSERT_GE(OpenCom5(), 3);
    IOComm other(m_clock, m_tree.Environment(nullptr, &m_spooler));
    EXPECT_EQ(other.Open("COM5", "", 1), 0);
    EXPECT_EQ(other.m_error, 1);
    EXPECT_EQ(other.m_lastError, "IOComm::Open() failed, GetLastError() returned: 16 (" +
                                     m_pty.SlavePath() + " is in use by another program)");
    m_port->Close();
    EXPECT_GE(other.Open(), 3) << other.m_lastError;
    other.Close();
}

TEST_F(SerialPortTest, RefusedAndMissingDevicesSaySo) {
    m_sys.onOpen = [](const char*) { return Fail<int>(EACCES); };
    EXPECT_EQ(OpenCom5(), 0);
    EXPECT_EQ(m_port->m_handle, kInvalidHandle);
    EXPECT_EQ(m_port->m_error, 1);
    const std::string& text = m_port->m_lastError;
    EXPECT_EQ(text.rfind("IOComm::Open() failed, GetLastError() returned: 13 (access to " +
                             m_pty.SlavePath() + " was refused; ",
                         0),
              0u)
        << text;
    // Who may open it: the owner alone (a pseudo-terminal's usual mode 620), or the group.
    EXPECT_TRUE(text.find("; only its owner, ") != std::string::npos ||
                text.find("; it belongs to group ") != std::string::npos)
        << text;

    m_sys.onOpen = nullptr;
    m_port->m_port = "COM6";  // maps to ttyS5 under the test's own device folder: missing
    EXPECT_EQ(m_port->Open(), 0);
    EXPECT_EQ(m_port->m_lastError, "IOComm::Open() failed, GetLastError() returned: 2 (" +
                                       m_tree.Dev() + "/ttyS5 does not exist)");
    // The invalid handle left behind counts as closed.
    EXPECT_EQ(m_port->InputPending(), 0);
    uint8_t in[1];
    EXPECT_EQ(m_port->Input(in, 1), 0);
    EXPECT_GE(m_port->Open("COM5", "", 1), 3);
}

TEST_F(SerialPortTest, RefusedConfigurationClosesUnlessDebugModeIgnoresIt) {
    // A descriptor that is not a tty: the configuration cannot be applied.
    m_sys.onOpen = [](const char*) { return std::optional<int>(open("/dev/null", O_RDWR)); };
    EXPECT_EQ(OpenCom5(), 0);
    EXPECT_EQ(m_port->m_lastError,
              "SetCommConfig(IOHandle, ....) failed, GetLastError() returned: 25");
    EXPECT_EQ(m_port->m_handle, kNullHandle);

    m_port->m_debugMode = 1;
    EXPECT_GE(m_port->Open(), 3);
    EXPECT_EQ(m_port->m_error, 0);
    m_port->Close();
}

TEST_F(SerialPortTest, NeverTakesAStandardStreamDescriptor) {
    const int saved = dup(0);
    ASSERT_GE(saved, 0);
    close(0);
    const long handle = OpenCom5();
    dup2(saved, 0);
    close(saved);
    EXPECT_GE(handle, 3);
    m_port->Close();
}

TEST_F(SerialPortTest, OddAndOverlongNamesFailCleanly) {
    for (const std::string& name :
         {std::string(300, 'A'), std::string("COM") + std::string(297, '9'),
          std::string("\x01\xff*?\n"), std::string(300, '.')}) {
        IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));
        EXPECT_EQ(port.Open(name, "", 1), 0) << name;
        EXPECT_EQ(port.m_handle == kNullHandle || port.m_handle == kInvalidHandle, true);
        uint8_t in[4];
        EXPECT_EQ(port.Input(in, 4), 0);
        EXPECT_EQ(port.Output(in, 4), 0);
    }
}

}  // namespace
}  // namespace kestrel
