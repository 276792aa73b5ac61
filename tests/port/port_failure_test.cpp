// Ports that fail: names that are not device paths, a vanished tty, a dropped or refused
// connection, a switch of kind while connected, and the parity of received bytes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "port/IOComm.h"
#include "port/LoopbackPrinter.h"
#include "port/PortTestSupport.h"
#include "support/FakeClock.h"
#include "support/LoopbackListener.h"
#include "support/PseudoTerminal.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::FakeClock;
using testing::FakeDeviceTree;
using testing::FakeSpooler;
using testing::FullListener;
using testing::LoopbackPrinter;
using testing::PseudoTerminal;
using testing::ScratchFolder;
using testing::ScriptedSystemCalls;

class PortFailureTest : public ::testing::Test {
  protected:
    PortFailureTest() : m_tree(m_folder.Path()) {
        m_folder.UseAsSettings();
        m_port = std::make_unique<IOComm>(m_clock, m_tree.Environment(&m_sys, &m_spooler));
    }

    ScratchFolder m_folder;
    FakeDeviceTree m_tree;
    ScriptedSystemCalls m_sys;
    FakeSpooler m_spooler;
    FakeClock m_clock;
    std::unique_ptr<IOComm> m_port;
};

TEST_F(PortFailureTest, ReceivedBytesKeepTheirValueWhateverTheParity) {
    PseudoTerminal pty;
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", pty.SlavePath()));
    const long handle = m_port->Open("COM5", "9600,n,8,1", 1);
    ASSERT_GE(handle, 3) << m_port->m_lastError;
    for (const uint8_t parity : {kMarkParity, kSpaceParity, kEvenParity, kNoParity}) {
        m_port->SetParity(parity);
        termios settings{};
        ASSERT_EQ(tcgetattr(static_cast<int>(handle), &settings), 0);
        // A check would turn every byte with a parity error into 0x00 (or mark it).
        EXPECT_EQ(settings.c_iflag & (INPCK | PARMRK | IGNPAR), 0u) << int(parity);
    }
    m_port->Close();
}

TEST_F(PortFailureTest, NamesThatAreNotPathsNeverOpenFilesOfTheCurrentFolder) {
    m_folder.EnterAsCurrentDirectory();
    const std::string ticket = "TICKET DATA";
    std::ofstream(m_folder.File("demo.dmo")) << ticket;
    const std::string van = m_tree.MakeNode("Van0");
    struct Case {
        std::string name;
        std::string opened;  // "" where nothing may be opened
        bool saysWhy;        // a device name refused with a text (a longer name is TCP/IP)
    };
    const std::vector<Case> cases = {
        {"demo.dmo", m_tree.Dev() + "/demo.dmo", false},
        {"\\\\.\\Van0", van, false},
        {"./demo.dmo", "", true},
        {"d/demo.dmo", "", true},
        {"..", "", true},
        {"subfolder/demo.dmo", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sys.opened.clear();
        const long handle = m_port->Open(c.name, "", 1);
        if (c.opened.empty()) {
            EXPECT_EQ(handle, 0);
            EXPECT_TRUE(m_sys.opened.empty());
        }
        if (c.saysWhy) {
            EXPECT_EQ(m_port->m_error, 1);
            EXPECT_NE(m_port->m_lastError.find("neither a device name nor an absolute path"),
                      std::string::npos)
                << m_port->m_lastError;
        }
        if (!c.opened.empty()) {
            ASSERT_FALSE(m_sys.opened.empty());
            EXPECT_EQ(m_sys.opened.back(), c.opened);
        }
        const uint8_t junk[] = {'X', 'X', 'X'};
        m_port->Output(junk, 3);
        m_port->Close();
    }
    std::ifstream in(m_folder.File("demo.dmo"));
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, ticket);
}

// Whatever names it (a path, a DOS name mapped to it, a link), only a device is opened as a
// port: anything else is refused with what it is, and not a byte of it changes.
TEST_F(PortFailureTest, OnlyDevicesAreOpened) {
    const std::string file = m_folder.File("passwd");
    std::ofstream(file) << "root:x:0:0";
    const std::string folder = m_folder.File("folder");
    std::filesystem::create_directory(folder);
    const std::string fifo = m_folder.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string fileLink = m_folder.File("file-link");
    ASSERT_EQ(symlink(file.c_str(), fileLink.c_str()), 0);
    PseudoTerminal pty;
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM3", file));
    struct Case {
        std::string name;
        std::string reason;  // "" where the device opens
    };
    const std::vector<Case> cases = {
        {file, file + " is a regular file, not a device"},
        {"COM3", file + " is a regular file, not a device"},
        {folder, folder + " is a folder, not a device"},
        {fifo, fifo + " is a FIFO, not a device"},
        {fileLink, fileLink + " is a symbolic link to a regular file, not a device"},
        {"/dev/null", ""},
        {pty.SlavePath(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IOComm port(m_clock);  // the real system calls
        const long handle = port.Open(c.name, "9600,n,8,1", 1);
        const uint8_t junk[] = {'X', 'X', 'X'};
        port.Output(junk, 3);
        port.Close();
        EXPECT_EQ(handle >= 3, c.reason.empty()) << port.m_lastError;
        if (!c.reason.empty()) {
            EXPECT_EQ(port.m_lastError, "IOComm::Open() failed, GetLastError() returned: " +
                                            std::to_string(c.name == folder ? EISDIR : ENODEV) +
                                            " (" + c.reason + ")");
        }
    }
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "root:x:0:0");
}

TEST_F(PortFailureTest, SwitchingKindWhileConnectedClosesTheConnection) {
    PseudoTerminal pty;
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", pty.SlavePath()));
    LoopbackPrinter first;
    LoopbackPrinter second;
    ASSERT_EQ(m_port->Open(first.Address(), "", 1), 1);
    ASSERT_TRUE(first.Accept());

    ASSERT_GE(m_port->Open("COM5", "9600,n,8,1", 1), 3) << m_port->m_lastError;
    EXPECT_EQ(m_port->m_socket, kInvalidSocket);
    EXPECT_EQ(first.Receive(1), "");  // the printer sees the connection end
    EXPECT_EQ(m_port->Close(), 1);
    EXPECT_EQ(m_port->m_handle, kNullHandle);

    // The next TCP/IP open reaches the address it names.
    ASSERT_EQ(m_port->Open(second.Address(), "", 1), 1);
    ASSERT_TRUE(second.Accept());
    const uint8_t hello[] = {'h', 'i'};
    EXPECT_EQ(m_port->Output(hello, 2), 1);
    EXPECT_EQ(second.Receive(2), "hi");

    // A new address, without a Close in between, never inherits the old connection.
    LoopbackPrinter third;
    ASSERT_EQ(m_port->Open(third.Address(), "", 1), 1);
    ASSERT_TRUE(third.Accept());
    EXPECT_EQ(second.Receive(1), "");
    EXPECT_EQ(m_port->Output(hello, 2), 1);
    EXPECT_EQ(third.Receive(2), "hi");
    // The same address keeps it.
    const int socket = m_port->m_socket;
    EXPECT_EQ(m_port->Open(third.Address(), "", 1), 1);
    EXPECT_EQ(m_port->m_socket, socket);
    m_port->Close();
}

TEST_F(PortFailureTest, ConnectToAListenerThatNeverAcceptsGivesUp) {
    FullListener listener;
    ASSERT_TRUE(listener.Full());
    EXPECT_EQ(m_port->Open(listener.Address(), "", 1), 0);
    EXPECT_EQ(m_port->m_socket, kInvalidSocket);
    EXPECT_EQ(m_port->m_error, 1);
    EXPECT_EQ(m_port->m_lastError, "IOComm::Open() failed, GetLastError() returned: 110 (" +
                                       listener.Address() +
                                       " did not accept the connection within 5 seconds)");
}

TEST_F(PortFailureTest, RefusedConnectionSaysWhy) {
    int port = 0;
    {
        LoopbackPrinter gone;  // a port nobody listens on once it is closed
        port = gone.Port();
    }
    const std::string address = "127.0.0.1:" + std::to_string(port);
    EXPECT_EQ(m_port->Open(address, "", 1), 0);
    EXPECT_EQ(m_port->m_lastError, "IOComm::Open() failed, GetLastError() returned: 111 (" +
                                       address + " refused the connection)");
    // Not numbers, or out of range: refused without a connection attempt.
    for (const char* name : {"127.0.0.1:65536", "127.0.0.1:9x00", "127.0.0.1:", "1.2.3.256:9100"}) {
        IOComm other(m_clock, m_tree.Environment(&m_sys, &m_spooler));
        EXPECT_EQ(other.Open(name, "", 1), 0) << name;
        EXPECT_EQ(other.m_socket, kInvalidSocket) << name;
    }
}

}  // namespace
}  // namespace kestrel
