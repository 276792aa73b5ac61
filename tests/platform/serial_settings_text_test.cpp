#include "platform/SerialSettingsText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestrel {
namespace {

DCB Filled() {
    DCB dcb{};
    dcb.BaudRate = 1234;
    dcb.ByteSize = 7;
    dcb.Parity = kMarkParity;
    dcb.StopBits = kTwoStopBits;
    dcb.Flags = kDcbBinary | kDcbOutX | kDcbInX | kDcbOutxCtsFlow | kDcbDsrSensitivity;
    return dcb;
}

uint32_t DtrControl(const DCB& dcb) {
    return (dcb.Flags & kDcbDtrControlMask) >> 4;
}
uint32_t RtsControl(const DCB& dcb) {
    return (dcb.Flags & kDcbRtsControlMask) >> 12;
}

TEST(BuildCommDcb, OldFormSetsLineAndFlowFromTheFields) {
    DCB dcb = Filled();
    ASSERT_TRUE(BuildCommDcb("9600,n,8,1", &dcb));
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.Parity, kNoParity);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.StopBits, kOneStopBit);
    // No flow field: every flow member is reset, DTR and RTS enabled.
    EXPECT_EQ(dcb.Flags & (kDcbOutX | kDcbInX | kDcbOutxCtsFlow | kDcbOutxDsrFlow), 0u);
    EXPECT_EQ(DtrControl(dcb), 1u);
    EXPECT_EQ(RtsControl(dcb), 1u);
    EXPECT_NE(dcb.Flags & kDcbDsrSensitivity, 0u);  // not a flow member: untouched

    ASSERT_TRUE(BuildCommDcb("COM3: 19200 , E , 7 , 1.5 , x", &dcb));
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_EQ(dcb.Parity, kEvenParity);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.StopBits, kOne5StopBits);
    EXPECT_EQ(dcb.Flags & (kDcbOutX | kDcbInX), kDcbOutX | kDcbInX);
    EXPECT_EQ(dcb.Flags & kDcbOutxCtsFlow, 0u);

    ASSERT_TRUE(BuildCommDcb("115200,o,5,2,P", &dcb));
    EXPECT_EQ(dcb.Parity, kOddParity);
    EXPECT_EQ(dcb.ByteSize, 5);
    EXPECT_EQ(dcb.StopBits, kTwoStopBits);
    EXPECT_EQ(dcb.Flags & (kDcbOutX | kDcbInX), 0u);
    EXPECT_EQ(dcb.Flags & (kDcbOutxCtsFlow | kDcbOutxDsrFlow), kDcbOutxCtsFlow | kDcbOutxDsrFlow);
    EXPECT_EQ(DtrControl(dcb), 2u);
    EXPECT_EQ(RtsControl(dcb), 2u);

    ASSERT_TRUE(BuildCommDcb("2400,m,6,1", &dcb));
    EXPECT_EQ(dcb.Parity, kMarkParity);
    ASSERT_TRUE(BuildCommDcb("2400,S,6,1", &dcb));
    EXPECT_EQ(dcb.Parity, kSpaceParity);
}

TEST(BuildCommDcb, OldFormTakesTheShortRates) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"11,n,8,1", 110},   {"15,n,8,1", 150},        {"30,n,8,1", 300},  {"60,n,8,1", 600},
        {"12,n,8,1", 1200},  {"24,n,8,1", 2400},       {"48,n,8,1", 4800}, {"96,n,8,1", 9600},
        {"19,n,8,1", 19200}, {"250000,n,8,1", 250000},
    };
    for (const auto& [text, rate] : cases) {
        DCB dcb{};
        ASSERT_TRUE(BuildCommDcb(text, &dcb)) << text;
        EXPECT_EQ(dcb.BaudRate, rate) << text;
    }
}

TEST(BuildCommDcb, NewFormSetsEachNamedMember) {
    DCB dcb{};
    ASSERT_TRUE(BuildCommDcb(
        "baud=57600 parity=E data=7 stop=2 to=on xon=on odsr=on octs=on dtr=hs rts=tg idsr=on",
        &dcb));
    EXPECT_EQ(dcb.BaudRate, 57600u);
    EXPECT_EQ(dcb.Parity, kEvenParity);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.StopBits, kTwoStopBits);
    EXPECT_EQ(dcb.Flags & (kDcbOutX | kDcbInX), kDcbOutX | kDcbInX);
    EXPECT_NE(dcb.Flags & kDcbOutxDsrFlow, 0u);
    EXPECT_NE(dcb.Flags & kDcbOutxCtsFlow, 0u);
    EXPECT_NE(dcb.Flags & kDcbDsrSensitivity, 0u);
    EXPECT_EQ(DtrControl(dcb), 2u);
    EXPECT_EQ(RtsControl(dcb), 3u);

    ASSERT_TRUE(BuildCommDcb("xon=off odsr=off octs=off dtr=off rts=hs idsr=off", &dcb));
    EXPECT_EQ(
        dcb.Flags & (kDcbOutX | kDcbInX | kDcbOutxDsrFlow | kDcbOutxCtsFlow | kDcbDsrSensitivity),
        0u);
    EXPECT_EQ(DtrControl(dcb), 0u);
    EXPECT_EQ(RtsControl(dcb), 2u);
    EXPECT_EQ(dcb.BaudRate, 57600u);       // not named: kept
    EXPECT_EQ(dcb.StopBits, kOneStopBit);  // not named: one stop bit

    ASSERT_TRUE(BuildCommDcb("BAUD=110 DTR=ON RTS=ON", &dcb));
    EXPECT_EQ(dcb.StopBits, kTwoStopBits);  // 110 bits per second default to two
    EXPECT_EQ(DtrControl(dcb), 1u);
    ASSERT_TRUE(BuildCommDcb("  baud=9600   stop=1.5  ", &dcb));
    EXPECT_EQ(dcb.StopBits, kOne5StopBits);
}

TEST(BuildCommDcb, RefusedTextsLeaveTheDcbUnchanged) {
    const char* refused[] = {
        "",
        "   ",
        "9600,n,4,1",         // data bits 4
        "9600,n,9,1",         // data bits 9
        "9600,x,8,1",         // parity letter
        "9600,n,8,3",         // stop bits
        "9600,n,8,1,q",       // flow letter
        "9600,n,8,1,xy",      // trailing text
        "9600,n,8",           // missing stop bits
        ",n,8,1",             // missing rate
        "99999999999,n,8,1",  // rate beyond 32 bits
        "baud=9600 speed=1",  // unknown key
        "baud=",
        "baud=fast",
        "parity=q",
        "data=4",
        "stop=3",
        "xon=yes",
        "dtr=tg",  // toggle is RTS only
        "rts=maybe",
        "baud=9600x",       // junk after a value
        "COM: 9600,n,8,1",  // device name without a number
        "COM1 9600,n,8,1",  // device name without its colon
    };
    for (const char* text : refused) {
        DCB dcb = Filled();
        EXPECT_FALSE(BuildCommDcb(text, &dcb)) << text;
        const DCB original = Filled();
        EXPECT_EQ(std::memcmp(&dcb, &original, sizeof dcb), 0) << text;
    }
    DCB dcb{};
    EXPECT_FALSE(BuildCommDcb(nullptr, &dcb));
    EXPECT_FALSE(BuildCommDcb("9600,n,8,1", nullptr));
}

}  // namespace
}  // namespace kestrel
