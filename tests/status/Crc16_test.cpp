#include "status/Crc16.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kestrel {
namespace {

const uint8_t* Text(const char* text) {
    return reinterpret_cast<const uint8_t*>(text);
}

// Bit by bit, independent of the tables.
uint16_t BitwiseReflectedCrc(uint16_t polynomial, const std::vector<uint8_t>& data) {
    uint16_t crc = 0;
    for (uint8_t byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ polynomial)
                            : static_cast<uint16_t>(crc >> 1);
        }
    }
    return crc;
}

TEST(Crc16, CheckValuesOnTheNineDigits) {
    EXPECT_EQ(Crc16Kermit(0, 9, Text("123456789")), 0x2189);
    EXPECT_EQ(Crc16Arc(0, 9, Text("123456789")), 0xBB3D);
}

TEST(Crc16, ValuesOnAbc) {
    EXPECT_EQ(Crc16Kermit(0, 3, Text("abc")), 0x58E9);
    EXPECT_EQ(Crc16Arc(0, 3, Text("abc")), 0x9738);
}

TEST(Crc16, NoBytesReturnTheInitialValue) {
    EXPECT_EQ(Crc16Kermit(0x1234, 0, Text("abc")), 0x1234);
    EXPECT_EQ(Crc16Arc(0xBEEF, 0, Text("abc")), 0xBEEF);
    EXPECT_EQ(Crc16Kermit(0x1234, -1, nullptr), 0x1234);
    EXPECT_EQ(Crc16Arc(0x4321, -32768, nullptr), 0x4321);
}

TEST(Crc16, RunningValueContinuesAcrossCalls) {
    const uint8_t* digits = Text("123456789");
    EXPECT_EQ(Crc16Kermit(Crc16Kermit(0, 4, digits), 5, digits + 4), 0x2189);
    EXPECT_EQ(Crc16Arc(Crc16Arc(0, 2, digits), 7, digits + 2), 0xBB3D);
}

TEST(Crc16, EveryByteValueMatchesTheBitwiseDefinition) {
    std::vector<uint8_t> data(256);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i);
        std::vector<uint8_t> single{data[i]};
        ASSERT_EQ(Crc16Kermit(0, 1, &data[i]), BitwiseReflectedCrc(0x8408, single)) << i;
        ASSERT_EQ(Crc16Arc(0, 1, &data[i]), BitwiseReflectedCrc(0xA001, single)) << i;
    }
    EXPECT_EQ(Crc16Kermit(0, 256, data.data()), BitwiseReflectedCrc(0x8408, data));
    EXPECT_EQ(Crc16Arc(0, 256, data.data()), BitwiseReflectedCrc(0xA001, data));
}

TEST(Crc16, OverAnyLengthBeyondTheSixteenBitCount) {
    std::vector<uint8_t> data(70000);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    EXPECT_EQ(Crc16KermitOver(data.data(), data.size()), BitwiseReflectedCrc(0x8408, data));
    EXPECT_EQ(Crc16ArcOver(data.data(), data.size()), BitwiseReflectedCrc(0xA001, data));
    EXPECT_EQ(Crc16KermitOver(Text("123456789"), 9), 0x2189);
    EXPECT_EQ(Crc16ArcOver(Text("abc"), 3), 0x9738);
    EXPECT_EQ(Crc16ArcOver(nullptr, 0), 0);
}

}  // namespace
}  // namespace kestrel
