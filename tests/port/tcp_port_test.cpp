#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "port/IOComm.h"
#include "port/LoopbackPrinter.h"
#include "port/PortTestSupport.h"
#include "port/RememberedTcpText.h"
#include "support/FakeClock.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::FakeClock;
using testing::FakeDeviceTree;
using testing::FakeSpooler;
using testing::LoopbackPrinter;
using testing::ScratchFolder;
using testing::ScriptedSystemCalls;

std::string StoredTcp() {
    auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::ReadOnly);
    char value[kRememberedTcpSize + 1]{};
    if (!key || !key->ReadBinary("TCP", value, kRememberedTcpSize)) {
        return "<none>";
    }
    return value;
}

class TcpPortTest : public ::testing::Test {
  protected:
    TcpPortTest() : m_tree(m_folder.Path()) { m_folder.UseAsSettings(); }

    IOComm MakePort() { return IOComm(m_clock, m_tree.Environment(&m_sys, &m_spooler)); }

    ScratchFolder m_folder;
    FakeDeviceTree m_tree;
    ScriptedSystemCalls m_sys;
    FakeSpooler m_spooler;
    FakeClock m_clock;
    LoopbackPrinter m_printer;
};

TEST_F(TcpPortTest, ConnectsRemembersOnceAndSetsTheSocketTimeouts) {
    IOComm port(m_clock, m_tree.Environment(&m_sys, &m_spooler));
    EXPECT_EQ(port.Open(m_printer.Address(), "", 1), 1);
    EXPECT_EQ(port.GetKind(), KindTcp);
    EXPECT_GE(port.m_socket, 3);
    EXPECT_EQ(port.m_handle, kNullHandle);
    EXPECT_EQ(port.m_timeouts.ReadTotalTimeoutConstant, 100u);
    EXPECT_EQ(port.m_timeouts.WriteTotalTimeoutConstant, 100u);
    EXPECT_EQ(port.m_peer.sin_family, AF_INET);
    EXPECT_EQ(ntohl(port.m_peer.sin_addr.s_addr), INADDR_LOOPBACK);
    ASSERT_TRUE(m_printer.Accept());
    EXPECT_EQ(StoredTcp(), " " + m_printer.Address());

    // A connected socket is kept: Open returns 1 without connecting again.
    const int socket = port.m_socket;
    EXPECT_EQ(port.Open(), 1);
    EXPECT_EQ(port.m_socket, socket);

    // Another connection to the same address adds nothing.
    IOComm again(m_clock, m_tree.Environment(nullptr, &m_spooler));
    EXPECT_EQ(again.Open(m_printer.Address(), "", 1), 1);
    EXPECT_EQ(StoredTcp(), " " + m_printer.Address());
    again.Close();

    EXPECT_EQ(port.Close(), 1);
    EXPECT_EQ(port.m_socket, kInvalidSocket);
    const uint8_t byte = 1;
    EXPECT_EQ(port.Output(&byte, 1), 0);
    EXPECT_EQ(port.InputPending(), 0);
}

TEST_F(TcpPortTest, AFullRememberedValueIsRewrittenUnchanged) {
    uint8_t value[kRememberedTcpSize]{};
    std::memset(value, '1', 995);
    auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::Create);
    ASSERT_TRUE(key->SetBinary("TCP", value, sizeof value));
    IOComm port = MakePort();
    ASSERT_EQ(port.Open(m_printer.Address(), "", 1), 1);
    EXPECT_EQ(StoredTcp(), std::string(995, '1'));
    port.Close();
}

TEST_F(TcpPortTest, SocketWaitsUseTheirOwnTimeConversion) {
    IOComm port = MakePort();
    ASSERT_EQ(port.Open(m_printer.Address(), "", 1), 1);
    ASSERT_TRUE(m_printer.Accept());
    // 1 is raised to 100, which the wait takes as 1 ms.
    EXPECT_EQ(port.SetTimeouts(1, 0), 1);
    EXPECT_EQ(port.m_timeouts.ReadTotalTimeoutConstant, 100u);
    uint8_t in[4];
    m_sys.pollLimits.clear();
    EXPECT_EQ(port.Input(in, 4), 0);
    ASSERT_EQ(m_sys.pollLimits.size(), 1u);
    EXPECT_EQ(m_sys.pollLimits[0]->tv_sec, 0);
    EXPECT_EQ(m_sys.pollLimits[0]->tv_nsec, 1000000);
    EXPECT_EQ(port.m_lastError, "IOComm::Input() failed, GetLastError() returned: 0");

    port.SetTimeouts(2500, 0);
    m_sys.pollLimits.clear();
    const uint8_t out[] = {'x'};
    EXPECT_EQ(port.Output(out, 1), 1);
    ASSERT_EQ(m_sys.pollLimits.size(), 1u);
    EXPECT_EQ(m_sys.pollLimits[0]->tv_sec, 2);
    EXPECT_EQ(m_sys.pollLimits[0]->tv_nsec, 5000000);
    port.Close();
}

TEST_F(TcpPortTest, BytesBothWays) {
    IOComm port = MakePort();
    ASSERT_EQ(port.Open(m_printer.Address(), "", 1), 1);
    ASSERT_TRUE(m_printer.Accept());
    const uint8_t out[] = {0x02, 0x12, 0x00, 0xFF};
    EXPECT_EQ(port.Output(out, 4), 1);
    EXPECT_EQ(port.m_bytesWritten, 4);
    EXPECT_EQ(m_printer.Receive(4), std::string("\x02\x12\x00\xFF", 4));

    ASSERT_TRUE(m_printer.Send("status"));
    uint8_t in[16]{};
    int got = 0;
    for (int round = 0; round < 200 && got == 0; ++round) {
        got = port.Input(in, sizeof in);
    }
    EXPECT_EQ(got, 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in), 6), "status");
    port.Close();
}

TEST_F(TcpPortTest, UnsentBytesAreThePendingCount) {
    IOComm port = MakePort();
    EXPECT_EQ(port.InputPending(), 0);  // not connected
    ASSERT_EQ(port.Open(m_printer.Address(), "", 1), 1);
    ASSERT_TRUE(m_printer.Accept());
    EXPECT_EQ(port.InputPending(), 0);  // nothing sent: the draining wait ends at once
    // Bytes sent but not yet acknowledged do not count: only the unsent ones.
    int unsent = 0;
    m_sys.onIoctl = [&](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request != SIOCOUTQ && request != SIOCOUTQNSD) {
            return std::nullopt;
        }
        *static_cast<int*>(argument) = request == SIOCOUTQ ? 42 : unsent;
        return 0;
    };
    EXPECT_EQ(port.InputPending(), 0);
    unsent = 7;
    EXPECT_EQ(port.InputPending(), 7);
    m_sys.onIoctl = [](int, unsigned long, void*) { return testing::Fail<int>(EINVAL); };
    EXPECT_EQ(port.InputPending(), -2);
    port.Close();
}

TEST_F(TcpPortTest, PeerClosingMidWriteEndsInFailureWithoutASignal) {
    IOComm port = MakePort();
    ASSERT_EQ(port.Open(m_printer.Address(), "", 1), 1);
    ASSERT_TRUE(m_printer.Accept());
    m_printer.CloseConnection();
    std::vector<uint8_t> data(64 * 1024, 0x55);
    int result = 1;
    for (int round = 0; round < 10 && result != 0; ++round) {
        result = port.Output(data.data(), static_cast<int>(data.size()));
    }
    EXPECT_EQ(result, 0);  // reaching here at all means no SIGPIPE
    EXPECT_EQ(port.m_error, 1);
    uint8_t in[4];
    EXPECT_EQ(port.Input(in, 4), 0);
    port.Close();
}

TEST_F(TcpPortTest, ShortSendsAreCarriedOn) {
    IOComm port = MakePort();
    ASSERT_EQ(port.Open(m_printer.Address(), "", 1), 1);
    ASSERT_TRUE(m_printer.Accept());
    m_sys.onSend = [this](int fd, const void* bytes, size_t size) {
        return std::optional<ssize_t>(
            m_sys.SystemCalls::Send(fd, bytes, std::min<size_t>(size, 7), MSG_NOSIGNAL));
    };
    const std::string text = "a ticket line of some length";
    EXPECT_EQ(
        port.Output(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size())),
        1);
    EXPECT_EQ(port.m_bytesWritten, static_cast<int>(text.size()));
    EXPECT_EQ(m_sys.sendSizes.size(), 4u);
    EXPECT_EQ(m_printer.Receive(text.size()), text);
    port.Close();
}

TEST_F(TcpPortTest, RefusedUnknownAndUnresolvedNamesFailQuietly) {
    // Nothing listens on a port that was just released.
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    IOComm port = MakePort();
    EXPECT_EQ(port.Open("127.0.0.1:" + std::to_string(ntohs(address.sin_port)), "", 1), 0);
    EXPECT_EQ(port.m_error, 1);
    EXPECT_EQ(port.m_socket, kInvalidSocket);
    EXPECT_EQ(StoredTcp(), "<none>");

    for (const std::string& name : {std::string("IP_10.0.0.99"), std::string("127.0.0.1:91x0"),
                                    std::string("127.0.0.1:") + std::string(290, '9'),
                                    std::string("127.0.0.1") + std::string(290, '.')}) {
        EXPECT_EQ(port.Open(name, "", 1), 0) << name;
        EXPECT_EQ(port.m_socket, kInvalidSocket);
    }
}

TEST_F(TcpPortTest, SpoolerQueueNamesConnectThroughTheirUri) {
    m_spooler.queues = {{"Vantor", "socket://127.0.0.1:" + m_printer.Address().substr(10)}};
    IOComm port = MakePort();
    EXPECT_EQ(port.Open("Vantor", "", 1), 1);
    EXPECT_EQ(port.GetKind(), KindTcp);
    EXPECT_TRUE(m_printer.Accept());
    EXPECT_EQ(StoredTcp(), " " + m_printer.Address());
    port.Close();
}

}  // namespace
}  // namespace kestrel
