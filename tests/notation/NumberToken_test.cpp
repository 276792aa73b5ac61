#include "notation/NumberToken.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(NumberTokenByte, HexadecimalAfterAnX) {
    EXPECT_EQ(NumberTokenByte("x1B"), 0x1B);
    EXPECT_EQ(NumberTokenByte("x0x1B"), 0x1B);   // the reading's own 0x prefix
    EXPECT_EQ(NumberTokenByte("0x0x1B"), 0x1B);  // second-character x, then a prefix
    EXPECT_EQ(NumberTokenByte("x 1B"), 0x1B);    // white space before the digits
    EXPECT_EQ(NumberTokenByte("x1g"), 0x01);     // stops at the first non-digit
    EXPECT_EQ(NumberTokenByte("xg"), 0x00);
    EXPECT_EQ(NumberTokenByte("x0x"), 0x00);
    EXPECT_EQ(NumberTokenByte("x"), 0x00);
}

TEST(NumberTokenByte, HexadecimalIsUnsigned32BitTakenAsSigned) {
    EXPECT_EQ(NumberTokenByte("x-1"), 0xFF);
    EXPECT_EQ(NumberTokenByte("x -5"), 0xFB);
    EXPECT_EQ(NumberTokenByte("xFFFFFFFF"), 0xFF);   // -1
    EXPECT_EQ(NumberTokenByte("x80000000"), 0x00);   // the most negative value, low bits 00
    EXPECT_EQ(NumberTokenByte("xFFFFFF80"), 0x80);   // -128
    EXPECT_EQ(NumberTokenByte("x7FFFFFFF"), 0xFF);   // saturates
    EXPECT_EQ(NumberTokenByte("x100000000"), 0xFF);  // overflow reads all ones
    EXPECT_EQ(NumberTokenByte("x-100000000"), 0xFF);
    EXPECT_EQ(NumberTokenByte("x123456789ABCDEF0123"), 0xFF);
}

TEST(NumberTokenByte, DecimalIsSigned32BitSaturating) {
    EXPECT_EQ(NumberTokenByte("1b"), 0x01);
    EXPECT_EQ(NumberTokenByte("-0x5"), 0x00);  // second character is 0: decimal, stops at x
    EXPECT_EQ(NumberTokenByte("2147483647"), 0xFF);
    EXPECT_EQ(NumberTokenByte("3000000000"), 0xFF);   // saturates at the largest value
    EXPECT_EQ(NumberTokenByte("-3000000000"), 0x00);  // saturates at the smallest value
    EXPECT_EQ(NumberTokenByte("-2147483647"), 0x01);
    EXPECT_EQ(NumberTokenByte("99999999999999999999"), 0xFF);
    EXPECT_EQ(NumberTokenByte("\t\n 65"), 0x41);
    EXPECT_EQ(NumberTokenByte("- 5"), 0x00);  // white space only before the sign
    EXPECT_EQ(NumberTokenByte("+"), 0x00);
}

TEST(NumberTokenByte, ReadsOnlyTheGivenToken) {
    const char text[] = "12345";
    EXPECT_EQ(NumberTokenByte(std::string_view(text, 2)), 12);
    EXPECT_EQ(NumberTokenByte(std::string_view("x41ff", 3)), 0x41);
}

}  // namespace
}  // namespace kestrel
