#include <gtest/gtest.h>

#include <cstring>

#include "port/RememberedTcpText.h"
#include "port/SocketUri.h"
#include "port/SocketWait.h"
#include "port/SysfsTree.h"

namespace kestrel {
namespace {

TEST(SocketUri, HostAndPort) {
    const auto plain = ParseSocketUri("socket://10.0.0.25");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->host, "10.0.0.25");
    EXPECT_EQ(plain->port, 9100);
    const auto full = ParseSocketUri("Socket://printer.local:9101/ignored?waitof=false");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->host, "printer.local");
    EXPECT_EQ(full->port, 9101);
    const auto v6 = ParseSocketUri("socket://[fe80::1]:9102");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "fe80::1");
    EXPECT_EQ(v6->port, 9102);
    EXPECT_EQ(ParseSocketUri("socket://h:70000")->port, 4464);
    EXPECT_EQ(ParseSocketUri("socket://h:")->port, 9100);
}

TEST(SocketUri, RefusesOtherUris) {
    for (const char* uri :
         {"", "socket:/", "socket://", "socket://:9100", "ipp://h/ipp", "socket://h:91a0",
          "socket://h:12345678901", "socket://[::1", "socket://[::1]x", "lpd://h/q", "socke://h"}) {
        EXPECT_FALSE(ParseSocketUri(uri)) << uri;
    }
}

TEST(SocketWaitLimit, MillisecondsBecomeTensOfMicroseconds) {
    const timespec usual = SocketWaitLimit(100);
    EXPECT_EQ(usual.tv_sec, 0);
    EXPECT_EQ(usual.tv_nsec, 1000000);  // 1 ms
    const timespec longer = SocketWaitLimit(2500);
    EXPECT_EQ(longer.tv_sec, 2);
    EXPECT_EQ(longer.tv_nsec, 5000000);
    EXPECT_EQ(SocketWaitLimit(999).tv_nsec, 9990000);
    EXPECT_EQ(SocketWaitLimit(0).tv_nsec, 0);
    EXPECT_EQ(SocketWaitLimit(0xFFFFFFFF).tv_sec, 4294967);
}

TEST(RememberedTcpText, AppendsOnceWithALeadingSpace) {
    uint8_t value[kRememberedTcpSize]{};
    EXPECT_EQ(AddRememberedTcpAddress(value, "10.0.0.25:9100"), RememberResult::Appended);
    EXPECT_STREQ(reinterpret_cast<char*>(value), " 10.0.0.25:9100");
    EXPECT_EQ(AddRememberedTcpAddress(value, "10.0.0.25:9100"), RememberResult::AlreadyKnown);
    // Contained in an entry is not the same as being one.
    EXPECT_EQ(AddRememberedTcpAddress(value, "0.0.0.25:9100"), RememberResult::Appended);
    EXPECT_STREQ(reinterpret_cast<char*>(value), " 10.0.0.25:9100 0.0.0.25:9100");
    EXPECT_EQ(RememberedTcpEntries(value, sizeof value),
              (std::vector<std::string>{"10.0.0.25:9100", "0.0.0.25:9100"}));
    EXPECT_EQ(AddRememberedTcpAddress(value, ""), RememberResult::NoRoom);
}

TEST(RememberedTcpText, NothingGoesPastTheValue) {
    uint8_t value[kRememberedTcpSize]{};
    std::memset(value, '1', 995);
    uint8_t before[kRememberedTcpSize];
    std::memcpy(before, value, sizeof value);
    EXPECT_EQ(AddRememberedTcpAddress(value, "10.0.0.25:9100"), RememberResult::NoRoom);
    EXPECT_EQ(std::memcmp(before, value, sizeof value), 0);
    // Filled to the last byte, with a terminator still inside.
    std::memset(value, 0, sizeof value);
    std::memset(value, '2', 984);
    EXPECT_EQ(AddRememberedTcpAddress(value, "10.0.0.25:9100"), RememberResult::Appended);
    EXPECT_EQ(value[998], '0');
    EXPECT_EQ(value[999], 0);
    EXPECT_EQ(AddRememberedTcpAddress(value, "1.2.3.4:5"), RememberResult::NoRoom);
    // No terminator at all: full.
    std::memset(value, 'x', sizeof value);
    EXPECT_EQ(AddRememberedTcpAddress(value, "1.2.3.4:5"), RememberResult::NoRoom);
}

TEST(NaturalOrder, NumbersByValue) {
    EXPECT_TRUE(NaturalLess("ttyS2", "ttyS10"));
    EXPECT_FALSE(NaturalLess("ttyS10", "ttyS2"));
    EXPECT_TRUE(NaturalLess("lp", "lp0"));
    EXPECT_TRUE(NaturalLess("ttyACM0", "ttyS0"));
    EXPECT_FALSE(NaturalLess("a", "a"));
    EXPECT_TRUE(IsNumberedName("lp12", "lp"));
    EXPECT_FALSE(IsNumberedName("lp", "lp"));
    EXPECT_FALSE(IsNumberedName("lp1a", "lp"));
}

}  // namespace
}  // namespace kestrel
