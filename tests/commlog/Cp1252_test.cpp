#include "commlog/Cp1252.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(Cp1252, MapsTheCodePageBothWays) {
    EXPECT_EQ(Cp1252ToUnicode('A'), u'A');
    EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x97), u'\u2014');
    EXPECT_EQ(Cp1252ToUnicode(0xE9), u'\u00E9');
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<uint8_t>(byte))), byte) << byte;
    }
    EXPECT_EQ(UnicodeToCp1252(0x2014), 0x97);
    EXPECT_EQ(UnicodeToCp1252(0x0080), -1);  // a C1 control the code page has no place for
    EXPECT_EQ(UnicodeToCp1252(0x4E2D), -1);
    EXPECT_EQ(UnicodeToCp1252(0x1F600), -1);
}

}  // namespace
}  // namespace kestrel
