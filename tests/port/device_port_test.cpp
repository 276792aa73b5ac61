#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/lp.h>
#include <unistd.h>

#include <cstring>

#include "port/IOComm.h"
#include "port/PortTestSupport.h"
#include "support/FakeClock.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::Fail;
using testing::FakeClock;
using testing::FakeDeviceTree;
using testing::FakeSpooler;
using testing::Milliseconds;
using testing::ScratchFolder;
using testing::ScriptedSystemCalls;

// Device nodes are FIFOs in a fake /dev: what the port writes can be read back from them.
class DevicePortTest : public ::testing::Test {
  protected:
    DevicePortTest() : m_tree(m_folder.Path()) {
        m_folder.UseAsSettings();
        m_port = std::make_unique<IOComm>(m_clock, m_tree.Environment(&m_sys, &m_spooler));
    }

    // Reads what the port wrote into a FIFO node.
    std::string Drain(const std::string& node) {
        const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK);
        std::string text;
        char buffer[512];
        ssize_t n = 0;
        while ((n = read(fd, buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<size_t>(n));
        }
        close(fd);
        return text;
    }

    void Feed(const std::string& node, const std::string& text) {
        const int fd = open(node.c_str(), O_WRONLY | O_NONBLOCK);
        ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    }

    ScratchFolder m_folder;
    FakeDeviceTree m_tree;
    ScriptedSystemCalls m_sys;
    FakeSpooler m_spooler;
    FakeClock m_clock;
    std::unique_ptr<IOComm> m_port;
};

TEST_F(DevicePortTest, UsbPrinterWritesInPiecesOf64AndKeepsTheSurplusOfAReadBlock) {
    m_tree.AddUsbPrinterClassNode(0);
    m_tree.AddUsbPrinterClassNode(1);
    ASSERT_GE(m_port->Open("USB002", "", 1), 3);
    EXPECT_EQ(m_port->GetKind(), KindUsbPrinter);
    EXPECT_EQ(m_port->m_usbDevicePath, m_tree.Dev() + "/usb/lp1");
    EXPECT_EQ(m_sys.opened.back(), m_tree.Dev() + "/usb/lp1");

    std::string text(150, ' ');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>(i);
    }
    EXPECT_EQ(m_port->Output(reinterpret_cast<const uint8_t*>(text.data()), 150), 1);
    EXPECT_EQ(m_port->m_bytesWritten, 150);
    EXPECT_EQ(m_sys.writeSizes, (std::vector<size_t>{64, 64, 22}));
    EXPECT_EQ(Drain(m_tree.Dev() + "/usb/lp1"), text);

    // Ten bytes come in one block; a one-byte Input takes one, the next nine come from the
    // carry without reading the device.
    Feed(m_tree.Dev() + "/usb/lp1", "0123456789");
    uint8_t in[4]{};
    EXPECT_EQ(m_port->Input(in, 1), 1);
    EXPECT_EQ(in[0], '0');
    const int reads = m_sys.reads;
    std::string rest;
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(m_port->Input(in, 1), 1);
        rest += static_cast<char>(in[0]);
    }
    EXPECT_EQ(rest, "123456789");
    EXPECT_EQ(m_sys.reads, reads);
    // Then the device is read again; with nothing there, nothing is delivered.
    m_sys.onPoll = [](pollfd*, const timespec*) { return std::optional<int>(0); };
    EXPECT_EQ(m_port->Input(in, 1), 0);
    EXPECT_GT(m_sys.reads, reads);
    EXPECT_EQ(m_port->m_lastError, "IOComm::Input() failed, GetLastError() returned: 11");
}

TEST_F(DevicePortTest, UsbInputFillsTheBufferFromCarryAndNewBlocks) {
    m_tree.AddUsbPrinterClassNode(0);
    ASSERT_GE(m_port->Open("USB001", "", 1), 3);
    Feed(m_tree.Dev() + "/usb/lp0", "abc");
    uint8_t in[8]{};
    ASSERT_EQ(m_port->Input(in, 2), 2);
    Feed(m_tree.Dev() + "/usb/lp0", "defg");
    m_sys.onPoll = nullptr;
    EXPECT_EQ(m_port->Input(in, 4), 4);  // one from the carry, three from a new block
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in), 4), "cdef");
    EXPECT_EQ(m_port->m_carryCount - m_port->m_carryPos, 1);
    // A zero-byte "success" of the device ends the fill instead of spinning.
    m_sys.onRead = [](int, void*, size_t) { return std::optional<ssize_t>(0); };
    EXPECT_EQ(m_port->Input(in, 8), 1);
    EXPECT_EQ(in[0], 'g');
}

TEST_F(DevicePortTest, UsbPrinterThatIsNotThereFailsWithoutText) {
    m_tree.AddUsbPrinterClassNode(0);
    EXPECT_EQ(m_port->Open("USB005", "", 1), 0);
    EXPECT_EQ(m_port->m_handle, kNullHandle);
    EXPECT_EQ(m_port->m_lastError, "");
    EXPECT_TRUE(m_sys.opened.empty());
}

TEST_F(DevicePortTest, DeviceWriteFailuresReopenAfterTheFifth) {
    const std::string node = m_tree.MakeNode("printer0");
    ASSERT_GE(m_port->Open(node, "", 1), 3);
    EXPECT_EQ(m_port->GetKind(), KindDevice);
    // Refused for now (out of paper, say); a device that has gone would be a lost connection.
    m_sys.onWrite = [](int, const void*, size_t) { return Fail<ssize_t>(ENOSPC); };
    const uint8_t out[] = {1, 2, 3};
    EXPECT_EQ(m_port->Output(out, 3), 0);
    EXPECT_EQ(m_port->m_error, 1);
    EXPECT_EQ(m_sys.writeSizes.size(), 5u);
    EXPECT_EQ(m_sys.opened.size(), 2u);           // reopened once
    EXPECT_EQ(m_clock.m_slept, 5u * 200 + 2000);  // five failure waits, the reopen wait
    EXPECT_GE(m_port->m_handle, 3);
}

TEST_F(DevicePortTest, RefusedWriteWaitsClosesWaitsReopensAndTriesOnce) {
    const std::string node = m_tree.MakeNode("printer0");
    ASSERT_GE(m_port->Open(node, "", 1), 3);
    int refusals = 1;
    m_sys.onWrite = [&](int, const void*, size_t) -> std::optional<ssize_t> {
        if (refusals-- > 0) {
            return Fail<ssize_t>(EACCES);
        }
        return std::nullopt;
    };
    const uint8_t out[] = {'o', 'k'};
    EXPECT_EQ(m_port->Output(out, 2), 1);
    EXPECT_EQ(m_port->m_bytesWritten, 2);
    EXPECT_EQ(m_clock.m_slept, 10000u);
    EXPECT_EQ(m_sys.opened.size(), 2u);
    EXPECT_EQ(Drain(node), "ok");
}

TEST_F(DevicePortTest, PendingWritesWaitThreeSeconds) {
    const std::string node = m_tree.MakeNode("printer0");
    ASSERT_GE(m_port->Open(node, "", 1), 3);
    m_sys.onWrite = [](int, const void*, size_t) { return Fail<ssize_t>(EAGAIN); };
    // The readiness query (no wait) says writable; the wait of the write itself runs out.
    m_sys.onPoll = [](pollfd* fds, const timespec* limit) -> std::optional<int> {
        if (limit != nullptr && limit->tv_sec == 0 && limit->tv_nsec == 0) {
            fds[0].revents = POLLOUT;
            return 1;
        }
        return 0;
    };
    const uint8_t out[] = {1};
    m_sys.pollLimits.clear();
    EXPECT_EQ(m_port->Output(out, 1), 0);
    ASSERT_EQ(m_sys.pollLimits.size(), 1u + 5u);
    for (size_t i = 1; i < m_sys.pollLimits.size(); ++i) {
        EXPECT_EQ(Milliseconds(*m_sys.pollLimits[i]), 3000);
    }
    EXPECT_EQ(m_sys.opened.size(), 2u);  // the device is reopened after the fifth failure

    // A write that can go once the wait ends succeeds.
    int pending = 1;
    m_sys.onWrite = [&](int, const void*, size_t) -> std::optional<ssize_t> {
        if (pending-- > 0) {
            return Fail<ssize_t>(EAGAIN);
        }
        return std::nullopt;
    };
    m_sys.onPoll = nullptr;
    EXPECT_EQ(m_port->Output(out, 1), 1);
    EXPECT_EQ(m_port->m_bytesWritten, 1);
}

TEST_F(DevicePortTest, IdleDeviceReadsLookThreeTimesAndAreNotFailures) {
    const std::string node = m_tree.MakeNode("printer0");
    ASSERT_GE(m_port->Open(node, "", 1), 3);
    m_sys.onPoll = [](pollfd* fds, const timespec*) {
        return fds[0].events == POLLIN ? std::optional<int>(0) : std::nullopt;
    };
    uint8_t in[4];
    for (int i = 0; i < 6; ++i) {
        m_sys.pollLimits.clear();
        EXPECT_EQ(m_port->Input(in, 4), 0);
        ASSERT_EQ(m_sys.pollLimits.size(), 4u);  // readiness, then three looks of 35 ms
        EXPECT_EQ(Milliseconds(*m_sys.pollLimits[1]), 35);
        EXPECT_EQ(Milliseconds(*m_sys.pollLimits[3]), 35);
    }
    EXPECT_EQ(m_port->m_readFailures, 0);
    EXPECT_EQ(m_sys.opened.size(), 1u);
    EXPECT_EQ(m_port->m_readPending, 0);

    m_sys.onPoll = nullptr;
    Feed(node, "hi");
    EXPECT_EQ(m_port->Input(in, 4), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in), 2), "hi");
}

TEST_F(DevicePortTest, DeviceHangUpClosesThePort) {
    const std::string node = m_tree.MakeNode("printer0");
    ASSERT_GE(m_port->Open(node, "", 1), 3);
    EXPECT_EQ(m_port->IsReady(), 1);
    EXPECT_EQ(m_port->InputPending(), 0);
    m_sys.onPoll = [](pollfd* fds, const timespec*) -> std::optional<int> {
        fds[0].revents = POLLOUT | POLLHUP;
        return 1;
    };
    const uint8_t out[] = {1};
    EXPECT_EQ(m_port->Output(out, 1), 0);
    EXPECT_EQ(m_port->m_handle, kNullHandle);
    EXPECT_EQ(m_port->InputPending(), 0);
    EXPECT_EQ(m_port->Output(out, 1), 0);
}

TEST_F(DevicePortTest, ParallelPortStatusDecidesReadiness) {
    const std::string node = m_tree.MakeNode("lp0");
    ASSERT_GE(m_port->Open("LPT1", "", 1), 3);
    EXPECT_EQ(m_port->GetKind(), KindParallel);
    EXPECT_EQ(m_sys.opened.back(), node);
    EXPECT_EQ(m_port->InputPending(), 0);
    int status = LP_PSELECD | LP_PERRORP;
    m_sys.onIoctl = [&](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != static_cast<unsigned long>(LPGETSTATUS)) {
            return std::nullopt;
        }
        *static_cast<int*>(argument) = status;
        return 0;
    };
    const uint8_t out[] = {'p'};
    EXPECT_EQ(m_port->Output(out, 1), 1);
    EXPECT_EQ(Drain(node), "p");
    for (const int bad : {LP_PSELECD | LP_PERRORP | LP_POUTPA, LP_PERRORP, LP_PSELECD}) {
        status = bad;
        EXPECT_EQ(m_port->IsReady(), 0) << bad;
        EXPECT_EQ(m_port->Output(out, 1), 0);
        EXPECT_EQ(m_port->m_bytesWritten, 0);
    }
    EXPECT_EQ(Drain(node), "");
    // A port whose status cannot be read is not ready either.
    m_sys.onIoctl = nullptr;
    EXPECT_EQ(m_port->IsReady(), 0);
}

TEST_F(DevicePortTest, ParallelPortIsReopenedForTheFirstWriteAfterARead) {
    m_tree.MakeNode("lp0");
    m_sys.onIoctl = [](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != static_cast<unsigned long>(LPGETSTATUS)) {
            return std::nullopt;
        }
        *static_cast<int*>(argument) = LP_PSELECD | LP_PERRORP;
        return 0;
    };
    ASSERT_GE(m_port->Open("LPT1:", "", 1), 3);
    const uint8_t out[] = {'a'};
    EXPECT_EQ(m_port->Output(out, 1), 1);
    EXPECT_EQ(m_sys.opened.size(), 1u);
    uint8_t in[2];
    m_port->SetTimeouts(1, 0);
    m_port->Input(in, 2);
    EXPECT_EQ(m_port->Output(out, 1), 1);
    EXPECT_EQ(m_sys.opened.size(), 2u);
    EXPECT_EQ(m_port->Output(out, 1), 1);
    EXPECT_EQ(m_sys.opened.size(), 2u);

    // Held exclusively against another program.
    ScriptedSystemCalls otherSys;
    IOComm other(m_clock, m_tree.Environment(&otherSys, &m_spooler));
    EXPECT_EQ(other.Open("LPT1", "", 1), 0);
    EXPECT_EQ(other.m_lastError, "IOComm::Open() failed, GetLastError() returned: 16 (" +
                                     m_tree.Dev() + "/lp0 is in use by another program)");
}

TEST_F(DevicePortTest, RefusedParallelOpenNamesTheDeviceWithoutGroup) {
    const std::string node = m_tree.MakeNode("lp1");
    m_sys.onOpen = [](const char*) { return Fail<int>(EPERM); };
    EXPECT_EQ(m_port->Open("LPT2", "", 1), 0);
    EXPECT_EQ(m_port->m_lastError, "IOComm::Open() failed, GetLastError() returned: 1 (access to " +
                                       node + " was refused)");
}

TEST_F(DevicePortTest, TimeoutsOnAClosedPortAreKeptForTheOpen) {
    EXPECT_EQ(m_port->SetTimeouts(1000, 10), 1);
    EXPECT_EQ(m_port->m_timeouts.ReadTotalTimeoutConstant, 1000u);
    EXPECT_EQ(m_port->m_timeouts.WriteTotalTimeoutConstant, 1000u);
    EXPECT_EQ(m_port->m_timeouts.ReadIntervalTimeout, 10u);
    EXPECT_EQ(m_port->m_timeouts.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(m_port->m_timeouts.WriteTotalTimeoutMultiplier, 10u);
    uint8_t in[1];
    EXPECT_EQ(m_port->Input(in, 1), 0);
    EXPECT_EQ(m_port->Output(in, 1), 0);
    EXPECT_EQ(m_port->Input(in, 0), 0);
    EXPECT_EQ(m_port->Close(), 1);
}

}  // namespace
}  // namespace kestrel
