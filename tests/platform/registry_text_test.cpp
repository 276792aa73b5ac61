#include "platform/RegistryText.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kestrel {
namespace {

const std::string kHead = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\IOCommKestrel]\n";

const SettingsValue* FindValue(const std::vector<SettingsValue>& values, std::string_view name) {
    for (const SettingsValue& value : values) {
        if (SameValueName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

std::vector<uint8_t> Bytes(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(RegistryText, ReadsTheThreeWrittenForms) {
    const auto values = ParseRegistryText(kHead +
                                          "\"ResetWait\"=dword:000003e8\n"
                                          "\"TCP\"=hex:31,32,\\\n  33\n"
                                          "\"PortName\"=\"C:\\\\a \\\"b\\\"\"\n");
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].type, SettingsValueType::Dword);
    EXPECT_EQ(values[0].data, (std::vector<uint8_t>{0xe8, 0x03, 0, 0}));
    EXPECT_EQ(values[1].type, SettingsValueType::Binary);
    EXPECT_EQ(values[1].data, Bytes("123"));
    EXPECT_EQ(values[2].type, SettingsValueType::String);
    EXPECT_EQ(values[2].data, Bytes(std::string_view("C:\\a \"b\"\0", 9)));
}

TEST(RegistryText, WritesDwordHexAndPlainStrings) {
    const std::vector<SettingsValue> values = {
        {"IOTimeOutFactor", SettingsValueType::Dword, {0x0a, 0, 0, 0}},
        {"Comm Data", SettingsValueType::Binary, {0x01, 0xab}},
        {"PortName", SettingsValueType::String, Bytes(std::string_view("COM\"3\\\0", 7))},
    };
    const std::string text = FormatRegistryText(values);
    EXPECT_EQ(text, kHead +
                        "\"IOTimeOutFactor\"=dword:0000000a\n"
                        "\"Comm Data\"=hex:01,ab\n"
                        "\"PortName\"=\"COM\\\"3\\\\\"\n\n");
}

TEST(RegistryText, StringsTheQuotedFormCannotHoldRoundTripExactly) {
    const std::vector<std::vector<uint8_t>> cases = {
        Bytes("COM3"),                                      // no terminator
        Bytes(std::string_view("a\0b\0", 4)),               // embedded zero
        Bytes(std::string_view("line\nnext\t\x7f\0", 12)),  // control bytes
        Bytes(std::string_view("x\0\0", 3)),                // two terminators
        {},                                                 // empty
    };
    for (const auto& data : cases) {
        const std::vector<SettingsValue> values = {{"S", SettingsValueType::String, data}};
        const std::string text = FormatRegistryText(values);
        EXPECT_NE(text.find("\"S\"=hex(1):"), std::string::npos) << text;
        const auto back = ParseRegistryText(text);
        ASSERT_EQ(back.size(), 1u) << text;
        EXPECT_EQ(back[0].type, SettingsValueType::String);
        EXPECT_EQ(back[0].data, data) << text;
    }
}

TEST(RegistryText, LargeBinaryIsWrappedAndRoundTrips) {
    std::vector<uint8_t> history(7680);
    for (size_t i = 0; i < history.size(); ++i) {
        history[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    const std::string text = FormatRegistryText({{"CmdSave", SettingsValueType::Binary, history}});
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_LE(line.size(), 80u);
    }
    const auto back = ParseRegistryText(text);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].data, history);
}

TEST(RegistryText, DamagedLinesReadAsMissingAndTheRestSurvives) {
    const std::string longLine = "\"Long\"=hex:" + std::string(kRegistryMaxLineLength, '0') + "\n";
    const auto values = ParseRegistryText(kHead +
                                          "\"Good1\"=dword:00000001\n"
                                          "\"OddDigits\"=hex:01,2,03\n"
                                          "\"OddDigits2\"=hex:012\n"
                                          "\"BadDigit\"=hex:0g\n"
                                          "\"TrailingComma\"=hex:01,\n"
                                          "\"TooBig\"=dword:100000000\n"
                                          "\"NotHex\"=dword:zz\n"
                                          "\"EmptyDword\"=dword:\n"
                                          "\"UnknownType\"=hex(7):41,00\n"
                                          "\"NoType\"=quux\n"
                                          "\"Unclosed\"=\"abc\n"
                                          "\"BadEscape\"=\"a\\nb\"\n"
                                          "\"AfterQuote\"=\"a\" junk\n"
                                          "\"NoEquals\" dword:00000001\n"
                                          "\"Deleted\"=-\n"
                                          "\x01\x02\xff\xfe garbage\n" +
                                          longLine +
                                          "\"Good2\"=hex:05\n"
                                          "\"Truncated\"=hex:01,02,\\\n");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].name, "Good1");
    EXPECT_EQ(values[1].name, "Good2");
    EXPECT_EQ(values[1].data, std::vector<uint8_t>{5});
}

TEST(RegistryText, OnlyValuesOfThisKeyCount) {
    const auto values = ParseRegistryText(
        "\"Before\"=dword:00000001\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"Other\"=dword:00000002\n"
        "[hkey_local_machine\\software\\quillon\\iocommkestrel]\r\n"
        "\"Mine\"=dword:00000003\r\n"
        "; a comment\n");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "Mine");
    EXPECT_EQ(values[0].data, (std::vector<uint8_t>{3, 0, 0, 0}));
}

TEST(RegistryText, DuplicateNamesKeepTheFirstSpellingAndTheLastData) {
    const auto values = ParseRegistryText(kHead +
                                          "\"Comm Data\"=hex:01\n"
                                          "\"COMM DATA\"=hex:02\n");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "Comm Data");
    EXPECT_EQ(values[0].data, std::vector<uint8_t>{2});
}

TEST(RegistryText, OtherHexTypesAndTheDefaultValue) {
    const auto values = ParseRegistryText(kHead +
                                          "@=\"default\"\n"
                                          "\"B\"=hex(3):01,02\n"
                                          "\"D\"=hex(4):01,00,00,00\n");
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].name, "");
    EXPECT_EQ(FindValue(values, "b")->type, SettingsValueType::Binary);
    EXPECT_EQ(FindValue(values, "d")->type, SettingsValueType::Dword);
    EXPECT_EQ(FormatRegistryText(values).find("@=\"default\""), kHead.size());
}

TEST(RegistryText, NamesCompareWithoutCaseOnlyForAsciiLetters) {
    EXPECT_TRUE(SameValueName("Comm Data", "comm data"));
    EXPECT_FALSE(SameValueName("Comm Data", "Comm Dat"));
    EXPECT_FALSE(SameValueName("[", "{"));
    EXPECT_TRUE(IsWritableValueName("Comm data"));
    EXPECT_FALSE(IsWritableValueName(std::string_view("a\nb")));
    EXPECT_FALSE(IsWritableValueName(std::string_view("a\0b", 3)));
}

}  // namespace
}  // namespace kestrel
