#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "port/IOComm.h"
#include "port/PortTestSupport.h"
#include "port/RememberedTcpText.h"
#include "support/FakeClock.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::FakeClock;
using testing::FakeDeviceTree;
using testing::FakeSpooler;
using testing::ScratchFolder;

class PortDiscoveryTest : public ::testing::Test {
  protected:
    PortDiscoveryTest() : m_tree(m_folder.Path()) { m_folder.UseAsSettings(); }

    std::vector<std::string> List(IOComm& port) {
        std::vector<std::string> names;
        for (int i = 0; i < 100; ++i) {
            std::string name = port.GetPortName(i);
            if (name.empty()) {
                break;
            }
            names.push_back(std::move(name));
        }
        return names;
    }

    void StoreTcp(const void* data, size_t size) {
        auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::Create);
        ASSERT_TRUE(key && key->SetBinary("TCP", data, size));
    }

    void StoreTcpText(const std::string& text) {
        uint8_t value[kRememberedTcpSize]{};
        std::memcpy(value, text.data(), std::min(text.size(), sizeof value));
        StoreTcp(value, sizeof value);
    }

    ScratchFolder m_folder;
    FakeDeviceTree m_tree;
    FakeSpooler m_spooler;
    FakeClock m_clock;
};

TEST_F(PortDiscoveryTest, SystemPortsInSourceOrder) {
    m_tree.AddTty("ttyS0", "/devices/platform/serial8250/tty/ttyS0", "4");
    m_tree.AddTty("ttyS1", "/devices/platform/serial8250/tty/ttyS1", "0");  // no UART
    m_tree.AddTty("ttyUSB10", "/devices/usb1/1-2/1-2:1.0/ttyUSB10");
    m_tree.AddTty("ttyUSB2", "/devices/usb1/1-3/1-3:1.0/ttyUSB2");
    m_tree.AddTty("tty0");                                      // virtual: no device
    m_tree.AddTty("ttyACM0", "/devices/usb1/1-4/1-4:1.0/tty");  // no node in /dev
    for (const char* node : {"ttyS0", "ttyS1", "ttyUSB10", "ttyUSB2", "tty0", "lp1", "lp0", "lpx",
                             "usb/lp0", "usb/hiddev0"}) {
        m_tree.MakeNode(node);
    }
    m_spooler.queues = {{"Office", "ipp://printer/ipp"},
                        {"Vantor", "socket://10.0.0.25:9100"},
                        {"", "socket://10.0.0.26"},
                        {"Back", "SOCKET://10.0.0.27"}};
    IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));
    const std::string dev = m_tree.Dev();
    EXPECT_EQ(List(port), (std::vector<std::string>{dev + "/ttyS0", dev + "/ttyUSB2",
                                                    dev + "/ttyUSB10", dev + "/lp0", dev + "/lp1",
                                                    dev + "/usb/lp0", "Vantor", "Back"}));
}

// A DOS name the settings map is a port the user has named: offered first, once per device.
TEST_F(PortDiscoveryTest, MappedDosNamesComeFirst) {
    m_tree.AddTty("ttyS0", "/devices/platform/serial8250/tty/ttyS0", "4");
    m_tree.AddTty("ttyUSB2", "/devices/usb1/1-3/1-3:1.0/ttyUSB2");
    for (const char* node : {"ttyS0", "ttyUSB2", "lp0"}) {
        m_tree.MakeNode(node);
    }
    const std::string dev = m_tree.Dev();
    auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::Create);
    ASSERT_TRUE(key);
    const auto map = [&](const char* name, const std::string& path) {
        ASSERT_TRUE(key->SetString(name, path.c_str(), path.size() + 1));
    };
    map("com3", dev + "/ttyUSB2");  // also a system port: offered once, as the user named it
    map("LPT2", "/dev/pts/9");
    map("COM0", "/dev/pts/8");  // no such DOS name
    map("COMX", "/dev/pts/7");
    map("PortName", "COM3");
    ASSERT_TRUE(key->SetString("COM4", "", 0));  // not mapped
    IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));
    EXPECT_EQ(List(port), (std::vector<std::string>{"COM3", "LPT2", dev + "/ttyS0", dev + "/lp0"}));
}

TEST_F(PortDiscoveryTest, FilePortsAreSkippedButTakePositions) {
    // 48 system ports, two of them "FILE" queues: the 50 positions leave room for two more
    // names from the later sources.
    for (int i = 0; i < 46; ++i) {
        m_spooler.queues.push_back({"Q" + std::to_string(i), "socket://10.0.0.1"});
    }
    m_spooler.queues.push_back({"FILE:", "socket://10.0.0.2"});
    m_spooler.queues.push_back({"file2", "socket://10.0.0.3"});
    StoreTcpText(" 10.1.1.1:9100 10.1.1.2:9100 10.1.1.3:9100");
    IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));
    const std::vector<std::string> names = List(port);
    ASSERT_EQ(names.size(), 48u);
    EXPECT_EQ(names[45], "Q45");
    EXPECT_EQ(names[46], "10.1.1.1:9100");
    EXPECT_EQ(names[47], "10.1.1.2:9100");
    for (const std::string& name : names) {
        EXPECT_NE(name.rfind("FILE", 0), 0u);
        EXPECT_NE(name, "file2");
    }
    EXPECT_EQ(port.GetPortName(48), "");
    EXPECT_EQ(port.GetPortName(-1), "");
}

TEST_F(PortDiscoveryTest, UsbVirtualComPortsByStableNameThenRememberedAddresses) {
    const std::string first = m_tree.AddUsbInterface("1-1", "0a7e", "2000", "00");
    m_tree.AddUsbInterface("1-2", "0A7E", "2000", "01");  // another interface of the printer
    m_tree.AddUsbInterface("1-3", "0a7f", "2000", "00");  // another vendor
    const std::string second = m_tree.AddUsbInterface("1-5", "0a7e", "2000", "00");
    m_tree.AddTty("ttyACM0", first);
    m_tree.AddTty("ttyUSB0", second + "/ttyUSB0");
    m_tree.MakeNode("ttyACM0");
    m_tree.MakeNode("ttyUSB0");
    std::filesystem::create_directories(m_tree.Dev() + "/serial/by-id");
    std::filesystem::create_symlink("../../ttyACM0",
                                    m_tree.Dev() + "/serial/by-id/usb-Vantor_60_42-if00");
    StoreTcpText(" 10.0.0.25:9100   10.0.0.26:9101");
    IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));

    EXPECT_EQ(port.UsbSerialPortName(0), m_tree.Dev() + "/serial/by-id/usb-Vantor_60_42-if00");
    EXPECT_EQ(port.UsbSerialPortName(1), m_tree.Dev() + "/ttyUSB0");  // no stable name
    EXPECT_EQ(port.UsbSerialPortName(2), "");
    const std::vector<std::string> names = List(port);
    // The ttys also count as system ports: each device is offered once, by its stable name.
    const std::string dev = m_tree.Dev();
    EXPECT_EQ(names,
              (std::vector<std::string>{dev + "/serial/by-id/usb-Vantor_60_42-if00",
                                        dev + "/ttyUSB0", "10.0.0.25:9100", "10.0.0.26:9101"}));
}

TEST_F(PortDiscoveryTest, UsbSourceEndsAtTheFirstInterfaceWithoutATty) {
    m_tree.AddUsbInterface("1-1", "0a7e", "2000", "00");  // driver not bound: no tty
    const std::string second = m_tree.AddUsbInterface("1-2", "0a7e", "2000", "00");
    m_tree.AddTty("ttyACM1", second);
    m_tree.MakeNode("ttyACM1");
    IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));
    EXPECT_EQ(port.UsbSerialPortName(0), "");
    EXPECT_EQ(port.UsbSerialPortName(1), m_tree.Dev() + "/ttyACM1");
    EXPECT_EQ(List(port), (std::vector<std::string>{m_tree.Dev() + "/ttyACM1"}));
}

TEST_F(PortDiscoveryTest, RememberedAddressesSurviveDamage) {
    IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));
    EXPECT_EQ(port.RememberedTcpPort(0), "");  // no value at all

    // No terminator, a piece of 50 characters, control bytes and high bytes in pieces.
    uint8_t value[kRememberedTcpSize];
    std::memset(value, 'x', sizeof value);
    const std::string text =
        " 10.0.0.1:9100 " + std::string(50, '7') + " a\x01z 10.0.0.2:1 \xff\xfe ";
    std::memcpy(value, text.data(), text.size());
    value[text.size()] = ' ';
    StoreTcp(value, sizeof value);
    EXPECT_EQ(port.RememberedTcpPort(0), "10.0.0.1:9100");
    EXPECT_EQ(port.RememberedTcpPort(1), "10.0.0.2:1");
    EXPECT_EQ(port.RememberedTcpPort(2), "");  // the x run at the end is far over 49
    EXPECT_EQ(port.RememberedTcpPort(-3), "");

    // A value longer than 1000 bytes cannot be read at all.
    std::vector<uint8_t> tooLong(kRememberedTcpSize + 1, ' ');
    StoreTcp(tooLong.data(), tooLong.size());
    EXPECT_EQ(port.RememberedTcpPort(0), "");
    // Exactly 49 characters is still an entry.
    StoreTcpText(" " + std::string(49, '1'));
    EXPECT_EQ(port.RememberedTcpPort(0), std::string(49, '1'));
}

TEST_F(PortDiscoveryTest, ResolveTcpPortBySpoolerQueuePrefix) {
    m_spooler.queues = {{"Office", "ipp://10.0.0.9/ipp"},
                        {"IP_10.0.0.2", "socket://10.0.0.2"},
                        {"IP_10.0.0.25", "socket://10.0.0.25:9101"},
                        {"Wide", "socket://10.0.0.30:70000/queue?x=1"},
                        {"Named", "socket://printer.example:4000"}};
    IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));
    EXPECT_EQ(port.ResolveTcpPort("IP_10.0.0.2"), "10.0.0.2:9100");
    // The first queue whose name is a prefix wins.
    EXPECT_EQ(port.ResolveTcpPort("IP_10.0.0.25"), "10.0.0.2:9100");
    EXPECT_EQ(port.ResolveTcpPort("Wide"), "10.0.0.30:4464");  // port taken as 16 bits
    EXPECT_EQ(port.ResolveTcpPort("Named"), "printer.example:4000");
    EXPECT_EQ(port.ResolveTcpPort("Office"), "");       // not a raw socket
    EXPECT_EQ(port.ResolveTcpPort("ip_10.0.0.2"), "");  // byte comparison
    EXPECT_EQ(port.ResolveTcpPort(""), "");
    // A name that begins with a digit is never looked up.
    const int asked = m_spooler.asked;
    EXPECT_EQ(port.ResolveTcpPort("10.0.0.25:9100"), "10.0.0.25:9100");
    EXPECT_EQ(port.ResolveTcpPort("1nothing"), "1nothing");
    EXPECT_EQ(m_spooler.asked, asked);
}

TEST_F(PortDiscoveryTest, UsbPrinterNumbersNameTheClassNodes) {
    m_tree.AddUsbPrinterClassNode(0);
    m_tree.AddUsbPrinterClassNode(1);
    std::filesystem::create_directories(m_tree.Sysfs() + "/class/usbmisc/hiddev0");
    IOComm port(m_clock, m_tree.Environment(nullptr, &m_spooler));
    port.m_port = "USB002";
    EXPECT_EQ(port.FindUsbPrinterPath(), 1);
    EXPECT_EQ(port.m_usbDevicePath, m_tree.Dev() + "/usb/lp1");
    port.m_port = "USB01:";  // digits read from the left until a non-digit
    EXPECT_EQ(port.FindUsbPrinterPath(), 1);
    EXPECT_EQ(port.m_usbDevicePath, m_tree.Dev() + "/usb/lp0");
    port.m_port = "USB003";
    EXPECT_EQ(port.FindUsbPrinterPath(), 0);
    EXPECT_EQ(port.m_usbDevicePath, m_tree.Dev() + "/usb/lp1");  // the last one tried

    port.m_port = "USB001";
    EXPECT_EQ(port.UsbPortNumberMatches(m_tree.Dev() + "/usb/lp0"), 1);
    EXPECT_EQ(port.UsbPortNumberMatches(m_tree.Dev() + "/usb/lp1"), 0);
    EXPECT_EQ(port.UsbPortNumberMatches(m_tree.Dev() + "/usb/lp7"), 0);  // not in sysfs
    EXPECT_EQ(port.UsbPortNumberMatches("lp0"), 1);
    for (const char* path : {"", "/", "/dev/usb/lp", "/dev/usb/lpx", "/dev/usb/hiddev0",
                             "/dev/usb/lp99999999999999999999"}) {
        EXPECT_EQ(port.UsbPortNumberMatches(path), 0) << path;
    }
}

TEST_F(PortDiscoveryTest, MissingTreesGiveEmptyResults) {
    PortEnvironment environment;
    environment.sysfsRoot = m_folder.File("nothing/sys");
    environment.devRoot = m_folder.File("nothing/dev");
    environment.spooler = &m_spooler;
    IOComm port(m_clock, environment);
    EXPECT_EQ(port.GetPortName(0), "");
    EXPECT_EQ(port.UsbSerialPortName(0), "");
    port.m_port = "USB001";
    EXPECT_EQ(port.FindUsbPrinterPath(), 0);
}

}  // namespace
}  // namespace kestrel
