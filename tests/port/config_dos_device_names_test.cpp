#include <gtest/gtest.h>

#include "platform/SettingsKey.h"
#include "port/DosDeviceNames.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

TEST(DosDeviceName, DropsTheDevicePrefixAndTheColon) {
    EXPECT_EQ(DosDeviceName("\\\\.\\COM3"), "COM3");
    EXPECT_EQ(DosDeviceName("COM3:"), "COM3");
    EXPECT_EQ(DosDeviceName("\\\\.\\COM12:"), "COM12");
    EXPECT_EQ(DosDeviceName("LPT1"), "LPT1");
    EXPECT_EQ(DosDeviceName(":"), "");
    EXPECT_EQ(DosDeviceName(""), "");
}

TEST(DeviceForPortName, DefaultsWithoutAKey) {
    EXPECT_EQ(DeviceForPortName("COM1", nullptr), "/dev/ttyS0");
    EXPECT_EQ(DeviceForPortName("\\\\.\\COM12", nullptr), "/dev/ttyS11");
    EXPECT_EQ(DeviceForPortName("com3:", nullptr), "/dev/ttyS2");
    EXPECT_EQ(DeviceForPortName("LPT2:", nullptr), "/dev/lp1");
    EXPECT_EQ(DeviceForPortName("COM1", nullptr, "/tmp/dev"), "/tmp/dev/ttyS0");
    // Device paths are already paths; the colon the open path adds is dropped.
    EXPECT_EQ(DeviceForPortName("/dev/serial/by-id/usb-X:1.0", nullptr),
              "/dev/serial/by-id/usb-X:1.0");
    EXPECT_EQ(DeviceForPortName("/dev/pts/4:", nullptr), "/dev/pts/4");
    // Anything else is the device node of that name, never a file of the current folder.
    for (const char* name : {"COM0", "COM", "COMX", "COM1a", "COM1234567", "LPT1.PRN", "PRN"}) {
        EXPECT_EQ(DeviceForPortName(name, nullptr), std::string("/dev/") + name) << name;
    }
}

TEST(DeviceForPortName, NamesThatAreNotPathsStayUnderTheDeviceFolder) {
    struct Case {
        const char* name;
        const char* device;  // "" where the name is refused
    };
    const Case cases[] = {
        {"demo.dmo:", "/dev/demo.dmo"},
        {"\\\\.\\Van0", "/dev/Van0"},
        {"\\\\.\\Van0:", "/dev/Van0"},
        {"demo/ticket.dmo", ""},
        {"./x", ""},
        {"..", ""},
        {"..:", ""},
        {"\\\\.\\..", ""},
        {"a..b", ""},
        {":", ""},
        {"/dev/../etc/passwd", "/dev/../etc/passwd"},  // a path beginning with "/" is the user's
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeviceForPortName(c.name, nullptr), c.device) << c.name;
    }
}

TEST(DeviceForPortName, SettingsKeyRedirectsDosNames) {
    testing::ScratchFolder folder;
    auto key = SettingsKey::Open(folder.File("s.reg"), SettingsAccess::Create);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->SetString("COM3", "/dev/pts/9", 11));
    ASSERT_TRUE(key->SetString("lpt1", "/dev/usb/lp0", 12));  // no terminator stored
    ASSERT_TRUE(key->SetString("COM4", "", 1));               // empty: not a mapping
    EXPECT_EQ(DeviceForPortName("\\\\.\\COM3", key.get()), "/dev/pts/9");
    EXPECT_EQ(DeviceForPortName("com3:", key.get()), "/dev/pts/9");
    EXPECT_EQ(DeviceForPortName("LPT1:", key.get()), "/dev/usb/lp0");
    EXPECT_EQ(DeviceForPortName("COM4", key.get()), "/dev/ttyS3");
    EXPECT_EQ(DeviceForPortName("COM5", key.get()), "/dev/ttyS4");
}

}  // namespace
}  // namespace kestrel
