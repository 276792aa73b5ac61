#include "platform/SerialLineSettings.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

DCB Line(uint32_t rate, uint8_t size, uint8_t parity, uint8_t stop, uint32_t flags = kDcbBinary) {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = rate;
    dcb.ByteSize = size;
    dcb.Parity = parity;
    dcb.StopBits = stop;
    dcb.Flags = flags;
    return dcb;
}

TEST(DcbToTermios, ParityOfEveryKind) {
    struct Case {
        uint8_t parity;
        tcflag_t expected;
    };
    const Case cases[] = {
        {kNoParity, 0},
        {kOddParity, PARENB | PARODD},
        {kEvenParity, PARENB},
        {kMarkParity, PARENB | CMSPAR | PARODD},
        {kSpaceParity, PARENB | CMSPAR},
    };
    for (const Case& c : cases) {
        const SerialLineSettings line = DcbToTermios(Line(9600, 8, c.parity, kOneStopBit));
        ASSERT_TRUE(line.valid);
        EXPECT_EQ(line.cflag & (PARENB | PARODD | CMSPAR), c.expected) << int(c.parity);
        EXPECT_EQ(line.iflag & INPCK, 0u);  // fParity clear: no input check
    }
    // fParity set: still no check, or bytes with a parity error would arrive as 0x00.
    for (const uint8_t parity : {kEvenParity, kMarkParity, kSpaceParity}) {
        const SerialLineSettings checked =
            DcbToTermios(Line(9600, 8, parity, kOneStopBit, kDcbBinary | kDcbParity));
        EXPECT_EQ(checked.iflag & (INPCK | IGNPAR | PARMRK), 0u) << int(parity);
        EXPECT_NE(kLineIflagMask & INPCK, 0u);  // and a check left on the tty is cleared
    }
}

TEST(DcbToTermios, SizesAndStopBits) {
    const std::pair<uint8_t, tcflag_t> sizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
    for (const auto& [size, flag] : sizes) {
        const SerialLineSettings line = DcbToTermios(Line(9600, size, kNoParity, kOneStopBit));
        ASSERT_TRUE(line.valid);
        EXPECT_EQ(line.cflag & CSIZE, flag);
        EXPECT_EQ(line.cflag & CSTOPB, 0u);
        EXPECT_EQ(line.cflag & (CREAD | CLOCAL), CREAD | CLOCAL);
    }
    EXPECT_NE(DcbToTermios(Line(9600, 5, kNoParity, kOne5StopBits)).cflag & CSTOPB, 0u);
    EXPECT_NE(DcbToTermios(Line(9600, 8, kNoParity, kTwoStopBits)).cflag & CSTOPB, 0u);
}

TEST(DcbToTermios, StandardAndCustomRates) {
    const std::pair<uint32_t, speed_t> rates[] = {
        {50, B50}, {9600, B9600}, {19200, B19200}, {115200, B115200}, {4000000, B4000000}};
    for (const auto& [rate, constant] : rates) {
        const SerialLineSettings line = DcbToTermios(Line(rate, 8, kNoParity, kOneStopBit));
        EXPECT_FALSE(line.customSpeed) << rate;
        EXPECT_EQ(line.speed, constant) << rate;
    }
    const SerialLineSettings custom = DcbToTermios(Line(250000, 8, kNoParity, kOneStopBit));
    ASSERT_TRUE(custom.valid);
    EXPECT_TRUE(custom.customSpeed);
    EXPECT_EQ(custom.baudRate, 250000u);
}

TEST(DcbToTermios, FlowControlAndCharacters) {
    DCB xon = Line(9600, 8, kNoParity, kOneStopBit, kDcbBinary | kDcbOutX | kDcbInX);
    xon.XonChar = 0x11;
    xon.XoffChar = 0x13;
    SerialLineSettings line = DcbToTermios(xon);
    EXPECT_EQ(line.iflag & (IXON | IXOFF), IXON | IXOFF);
    EXPECT_EQ(line.cflag & CRTSCTS, 0u);
    EXPECT_EQ(line.startChar, 0x11);
    EXPECT_EQ(line.stopChar, 0x13);

    xon.XonChar = 0x01;
    xon.XoffChar = 0x02;
    xon.Flags = kDcbBinary | kDcbOutX;  // output only
    line = DcbToTermios(xon);
    EXPECT_EQ(line.iflag & (IXON | IXOFF), IXON);
    EXPECT_EQ(line.startChar, 0x01);
    EXPECT_EQ(line.stopChar, 0x02);

    line = DcbToTermios(Line(9600, 8, kNoParity, kOneStopBit, kDcbBinary | kDcbOutxCtsFlow));
    EXPECT_NE(line.cflag & CRTSCTS, 0u);
    EXPECT_EQ(line.iflag & (IXON | IXOFF), 0u);
    line = DcbToTermios(Line(9600, 8, kNoParity, kOneStopBit, kDcbRtsControlHandshake));
    EXPECT_NE(line.cflag & CRTSCTS, 0u);
    line = DcbToTermios(Line(9600, 8, kNoParity, kOneStopBit, kDcbRtsControlEnable));
    EXPECT_EQ(line.cflag & CRTSCTS, 0u);
}

TEST(DcbToTermios, ModemLines) {
    struct Case {
        uint32_t flags;
        ModemLineAction dtr;
        ModemLineAction rts;
    };
    const Case cases[] = {
        {0, ModemLineAction::Clear, ModemLineAction::Clear},
        {kDcbDtrControlEnable | kDcbRtsControlEnable, ModemLineAction::Set, ModemLineAction::Set},
        {kDcbDtrControlHandshake | kDcbRtsControlHandshake, ModemLineAction::Set,
         ModemLineAction::Set},
        {kDcbDtrControlEnable | kDcbRtsControlToggle, ModemLineAction::Set, ModemLineAction::Set},
        {kDcbRtsControlEnable, ModemLineAction::Clear, ModemLineAction::Set},
    };
    for (const Case& c : cases) {
        const SerialLineSettings line =
            DcbToTermios(Line(9600, 8, kNoParity, kOneStopBit, c.flags));
        EXPECT_EQ(line.dtr, c.dtr) << c.flags;
        EXPECT_EQ(line.rts, c.rts) << c.flags;
    }
}

TEST(DcbToTermios, RefusesWhatThePlatformRefuses) {
    EXPECT_FALSE(DcbToTermios(DCB{}).valid);  // the all-zero configuration
    EXPECT_FALSE(DcbToTermios(Line(0, 8, kNoParity, kOneStopBit)).valid);
    EXPECT_FALSE(DcbToTermios(Line(9600, 4, kNoParity, kOneStopBit)).valid);
    EXPECT_FALSE(DcbToTermios(Line(9600, 9, kNoParity, kOneStopBit)).valid);
    EXPECT_FALSE(DcbToTermios(Line(9600, 8, 5, kOneStopBit)).valid);
    EXPECT_FALSE(DcbToTermios(Line(9600, 8, kNoParity, 3)).valid);
}

}  // namespace
}  // namespace kestrel
