#include "notation/EncodeCommandText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

// Encodes a copy of the text and checks the terminator after the returned count.
Bytes Encode(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    const int count = EncodeCommandText(buffer.data());
    EXPECT_GE(count, 0);
    EXPECT_LE(static_cast<size_t>(count), text.size());
    EXPECT_EQ(buffer[static_cast<size_t>(count)], '\0');
    return Bytes(buffer.begin(), buffer.begin() + count);
}

Bytes Of(std::initializer_list<int> values) {
    Bytes bytes;
    for (int v : values) {
        bytes.push_back(static_cast<uint8_t>(v));
    }
    return bytes;
}

TEST(EncodeCommandText, WholeTextExamples) {
    EXPECT_EQ(Encode("[ESC]@"), Of({0x1B, 0x40}));
    EXPECT_EQ(Encode("<0x81>"), Of({0x81}));
    EXPECT_EQ(Encode("[gs]~SS<0x81>"), Of({0x1D, 0x7E, 0x53, 0x53, 0x81}));
}

TEST(EncodeCommandText, NumberTokensGiveTheirBytes) {
    const struct {
        const char* token;
        int byte;
    } cases[] = {
        {"27", 0x1B},  {"x1B", 0x1B},  {"0x1B", 0x1B}, {"1b", 0x01},   {"300", 0xFF},
        {"-1", 0xFF},  {"abc", 0x00},  {"", 0x00},     {"0X81", 0x81}, {"5x81", 0x81},
        {"X81", 0x81}, {" 27", 0x1B},  {"+27", 0x1B},  {"255", 0xFF},  {"256", 0xFF},
        {"0", 0x00},   {"-256", 0x00}, {"-255", 0x01},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(std::string("<") + c.token + ">"), Of({c.byte})) << c.token;
    }
}

TEST(EncodeCommandText, NameTokensGiveTheirBytes) {
    const struct {
        const char* token;
        int byte;
    } cases[] = {
        {"NULL", 0x00}, {"DEL", 0x10}, {"gs", 0x1D},  {"ESCAPE", 0x1B},
        {"CRLF", 0x0D}, {"SO", 0x0E},  {"SOH", 0x01}, {"esc", 0x1B},
        {"Esc", 0x1B},  {"us", 0x1F},  {"lf", 0x0A},  {"Dc4", 0x14},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(std::string("[") + c.token + "]"), Of({c.byte})) << c.token;
    }
}

TEST(EncodeCommandText, UnknownNamesGiveOneZeroByteNeverAnEarlierValue) {
    EXPECT_EQ(Encode("[NUL]"), Of({0x00}));
    EXPECT_EQ(Encode("[DLE]"), Of({0x00}));
    EXPECT_EQ(Encode("[]"), Of({0x00}));
    EXPECT_EQ(Encode("[S]"), Of({0x00}));  // shorter than every name
    EXPECT_EQ(Encode("<0x41>[DLE]B"), Of({0x41, 0x00, 0x42}));
    EXPECT_EQ(Encode("[ESC][hello]"), Of({0x1B, 0x00}));
}

TEST(EncodeCommandText, NineCharacterTokenClosesTenDoesNot) {
    EXPECT_EQ(Encode("<000000065>B"), Of({0x41, 0x42}));
    EXPECT_EQ(Encode("[ESCxxxxxx]A"), Of({0x1B, 0x41}));
    // Ten characters: the token takes the rest and the text ends with it.
    EXPECT_EQ(Encode("<0000000065>B"), Of({0x41}));
    EXPECT_EQ(Encode("[ESCxxxxxxx]A"), Of({0x1B}));
}

TEST(EncodeCommandText, EightHexDigitTokenTakesTheRestButReadingStopsAtTheBracket) {
    // The tail holds hex digits: reading past ">" would change the value.
    EXPECT_EQ(Encode("<0x000000A5>ab[ESC]"), Of({0xA5}));
    EXPECT_EQ(Encode("<0x12345678>more text"), Of({0xFF}));
}

TEST(EncodeCommandText, UnclosedTokenAbsorbsTheRest) {
    EXPECT_EQ(Encode("<0x41 followed by words"), Of({0x41}));
    EXPECT_EQ(Encode("A<0x42\nC"), Of({0x41, 0x42}));
    EXPECT_EQ(Encode("[esc and more"), Of({0x1B}));
    EXPECT_EQ(Encode("AB<"), Of({0x41, 0x42, 0x00}));
    EXPECT_EQ(Encode("<27"), Of({0x1B}));
}

TEST(EncodeCommandText, ClosedTokenReadingStaysInsideTheToken) {
    EXPECT_EQ(Encode("<12>34"), Of({0x0C, 0x33, 0x34}));
    EXPECT_EQ(Encode("<x>Fa"), Of({0x00, 0x46, 0x61}));
}

TEST(EncodeCommandText, CommentsRunToTheLineFeed) {
    EXPECT_EQ(Encode("AB`comment <0x41> [ESC]\nCD"), Of({0x41, 0x42, 0x43, 0x44}));
    EXPECT_EQ(Encode("AB`comment\r\nCD"), Of({0x41, 0x42, 0x43, 0x44}));
    EXPECT_EQ(Encode("`whole line\nX`rest\nY"), Of({0x58, 0x59}));
    EXPECT_EQ(Encode("AB`comment to the end"), Of({0x41, 0x42}));
    EXPECT_EQ(Encode("`"), Bytes{});
}

TEST(EncodeCommandText, LineEndsAreDropped) {
    EXPECT_EQ(Encode("AB\r\nCD"), Of({0x41, 0x42, 0x43, 0x44}));
    EXPECT_EQ(Encode("\r\n\n\r"), Bytes{});
    EXPECT_EQ(Encode("[CR][LF]"), Of({0x0D, 0x0A}));
    EXPECT_EQ(Encode("<13><10>"), Of({0x0D, 0x0A}));
}

TEST(EncodeCommandText, OtherCharactersPassThrough) {
    EXPECT_EQ(Encode("a>b]c"), Of({'a', '>', 'b', ']', 'c'}));
    EXPECT_EQ(Encode("\x80\xE9\xFF\t"), Of({0x80, 0xE9, 0xFF, 0x09}));
}

TEST(EncodeCommandText, CountIncludesZeroBytes) {
    std::string text = "<0>[NULL]A";
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    ASSERT_EQ(EncodeCommandText(buffer.data()), 3);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '\0');
    EXPECT_EQ(buffer[2], 'A');
    EXPECT_EQ(buffer[3], '\0');
}

TEST(EncodeCommandText, EmptyTextGivesNothing) {
    char text[] = "";
    EXPECT_EQ(EncodeCommandText(text), 0);
    EXPECT_EQ(text[0], '\0');
}

TEST(EncodeCommandText, TextsLongerThanTheUsualLimitAreSafe) {
    constexpr size_t kRepeats = 5000;
    std::string text;
    Bytes expected;
    for (size_t i = 0; i < kRepeats; ++i) {
        text += "[ESC]A<0x00>`note\r\n";
        expected.insert(expected.end(), {0x1B, 0x41, 0x00});
    }
    text += "[esc";  // an unclosed token at the very end
    expected.push_back(0x1B);
    EXPECT_EQ(Encode(text), expected);
}

}  // namespace
}  // namespace kestrel
