#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/AsciiText.h"
#include "platform/NumberText.h"

namespace kestrel {
namespace {

TEST(ReadDecimal, DigitsOnlyUpToTheMaximumWithoutWrapping) {
    struct Case {
        const char* text;
        uint64_t maximum;
        std::optional<uint64_t> expected;
    };
    const Case cases[] = {
        {"0", 10, 0},
        {"007", 10, 7},
        {"10", 10, 10},
        {"11", 10, std::nullopt},
        {"9", 5, std::nullopt},
        {"", 10, std::nullopt},
        {"+1", 10, std::nullopt},
        {" 1", 10, std::nullopt},
        {"1a", 10, std::nullopt},
        {"4294967295", UINT32_MAX, 4294967295u},
        {"4294967296", UINT32_MAX, std::nullopt},
        {"18446744073709551615", UINT64_MAX, UINT64_MAX},
        {"18446744073709551616", UINT64_MAX, std::nullopt},  // would wrap to 0
        {"99999999999999999999999", UINT64_MAX, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadDecimal(c.text, c.maximum), c.expected) << c.text;
    }
}

TEST(SplitHostAndPort, AtTheLastColonWithAPortNumber) {
    struct Case {
        const char* text;
        bool valid;
        const char* host;
        uint16_t port;
    };
    const Case cases[] = {
        {"10.0.0.25:9100", true, "10.0.0.25", 9100},
        {"printer:0", true, "printer", 0},
        {":65535", true, "", 65535},
        {"a:b:80", true, "a:b", 80},
        {"host:65536", false, "", 0},
        {"host:", false, "", 0},
        {"host:-1", false, "", 0},
        {"host", false, "", 0},
        {"host:80 ", false, "", 0},
    };
    for (const Case& c : cases) {
        const std::optional<HostAndPort> split = SplitHostAndPort(c.text);
        ASSERT_EQ(split.has_value(), c.valid) << c.text;
        if (split) {
            EXPECT_EQ(split->host, c.host) << c.text;
            EXPECT_EQ(split->port, c.port) << c.text;
        }
    }
    EXPECT_EQ(ReadPortNumber("65535"), 65535);
    EXPECT_EQ(ReadPortNumber("65536"), std::nullopt);
}

TEST(AsciiText, HexDigitsBothWaysAndDigitClass) {
    for (int value = 0; value < 16; ++value) {
        EXPECT_EQ(HexDigitValue(kUpperHexDigits[value]), value);
        EXPECT_EQ(HexDigitValue(kLowerHexDigits[value]), value);
    }
    for (const char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0'}) {
        EXPECT_EQ(HexDigitValue(c), std::nullopt) << int(c);
    }
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(IsDigit(static_cast<char>(c)), c >= '0' && c <= '9') << c;
    }
}

}  // namespace
}  // namespace kestrel
