#include "notation/ControlCodeTable.h"

#include <gtest/gtest.h>

#include <string>

#include "notation/EncodeCommandText.h"

namespace kestrel {
namespace {

TEST(ControlCodeName, NamesTheControlBytes) {
    EXPECT_STREQ(ControlCodeName(0x00), "NULL");
    EXPECT_STREQ(ControlCodeName(0x02), "STX");
    EXPECT_STREQ(ControlCodeName(0x10), "DEL");
    EXPECT_STREQ(ControlCodeName(0x1B), "ESC");
    EXPECT_STREQ(ControlCodeName(0x1F), "US");
}

TEST(ControlCodeName, EverythingAboveTheTableIsXX) {
    EXPECT_STREQ(ControlCodeName(0x20), "XX");
    EXPECT_STREQ(ControlCodeName(0x7F), "XX");
    EXPECT_STREQ(ControlCodeName(0xFF), "XX");
}

TEST(ControlCodeName, EveryNameEncodesBackToItsByte) {
    for (int byte = 0; byte < kControlCodeCount; ++byte) {
        std::string text = std::string("[") + ControlCodeName(static_cast<uint8_t>(byte)) + "]";
        ASSERT_EQ(EncodeCommandText(text.data()), 1) << byte;
        EXPECT_EQ(static_cast<uint8_t>(text[0]), byte);
    }
}

TEST(FindControlCode, MatchesByPrefixInTableOrder) {
    EXPECT_EQ(FindControlCode("SOH"), 0x01);
    EXPECT_EQ(FindControlCode("SOx"), 0x0E);
    EXPECT_EQ(FindControlCode("crlf"), 0x0D);
    EXPECT_EQ(FindControlCode("NUL"), -1);
    EXPECT_EQ(FindControlCode("DLE"), -1);
    EXPECT_EQ(FindControlCode(""), -1);
    EXPECT_EQ(FindControlCode(std::string_view("ESC", 2)), -1);
}

}  // namespace
}  // namespace kestrel
