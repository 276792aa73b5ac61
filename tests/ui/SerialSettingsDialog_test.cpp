// The serial settings dialog's reading and writing of a DCB, and its headless answer.
#include "ui/SerialSettingsDialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "console/DialogTemplates.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

struct DcbCase {
    const char* name;
    uint32_t baud;
    uint8_t byteSize;
    uint8_t parity;
    uint8_t stopBits;
    uint32_t flags;
    SerialChoices expected;
};

class ChoicesFromDcbCases : public ::testing::TestWithParam<DcbCase> {};

TEST_P(ChoicesFromDcbCases, ShowWhatTheDcbHolds) {
    DCB dcb{};
    dcb.BaudRate = GetParam().baud;
    dcb.ByteSize = GetParam().byteSize;
    dcb.Parity = GetParam().parity;
    dcb.StopBits = GetParam().stopBits;
    dcb.Flags = GetParam().flags;
    EXPECT_EQ(ChoicesFromDcb(dcb), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dcbs, ChoicesFromDcbCases,
    ::testing::Values(
        DcbCase{"zeroed", 0, 0, 0, 0, 0, {9600, 8, kNoParity, kOneStopBit, FlowControl::None}},
        DcbCase{"odd7two",
                19200,
                7,
                kOddParity,
                kTwoStopBits,
                kDcbParity,
                {19200, 7, kOddParity, kTwoStopBits, FlowControl::None}},
        DcbCase{"custom",
                250000,
                5,
                kSpaceParity,
                kOne5StopBits,
                0,
                {250000, 5, kSpaceParity, kOne5StopBits, FlowControl::None}},
        DcbCase{"xon",
                9600,
                8,
                0,
                0,
                kDcbOutX | kDcbInX,
                {9600, 8, kNoParity, kOneStopBit, FlowControl::XonXoff}},
        DcbCase{"bothFlowsHardwareWins",
                9600,
                8,
                0,
                0,
                kDcbOutX | kDcbOutxCtsFlow,
                {9600, 8, kNoParity, kOneStopBit, FlowControl::Hardware}},
        DcbCase{
            "outOfRange", 1200, 9, 7, 5, 0, {1200, 8, kNoParity, kOneStopBit, FlowControl::None}}),
    [](const auto& param) { return std::string(param.param.name); });

struct ApplyCase {
    const char* name;
    SerialChoices choices;
    uint32_t setFlags;
    uint32_t clearFlags;
};

class ApplyChoicesCases : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyChoicesCases, WriteTheLineAndFlowAndReadBackTheSame) {
    DCB dcb{};
    dcb.Flags = kDcbOutX | kDcbInX | kDcbOutxCtsFlow | kDcbRtsControlHandshake | kDcbAbortOnError;
    dcb.XonChar = 0x11;
    ApplyChoices(GetParam().choices, dcb);
    EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
    EXPECT_EQ(dcb.Flags & GetParam().setFlags, GetParam().setFlags);
    EXPECT_EQ(dcb.Flags & GetParam().clearFlags, 0u);
    EXPECT_NE(dcb.Flags & kDcbAbortOnError, 0u);  // what the dialog does not edit stays
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(ChoicesFromDcb(dcb), GetParam().choices);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ApplyChoicesCases,
    ::testing::Values(ApplyCase{"none8N1",
                                {9600, 8, kNoParity, kOneStopBit, FlowControl::None},
                                kDcbBinary | kDcbRtsControlEnable | kDcbDtrControlEnable,
                                kDcbParity | kDcbOutX | kDcbInX | kDcbOutxCtsFlow |
                                    kDcbRtsControlHandshake},
                      ApplyCase{"xonEven",
                                {38400, 7, kEvenParity, kOneStopBit, FlowControl::XonXoff},
                                kDcbParity | kDcbOutX | kDcbInX,
                                kDcbOutxCtsFlow | kDcbRtsControlHandshake},
                      ApplyCase{"hardwareMark",
                                {115200, 8, kMarkParity, kTwoStopBits, FlowControl::Hardware},
                                kDcbParity | kDcbOutxCtsFlow | kDcbRtsControlHandshake,
                                kDcbOutX | kDcbInX},
                      ApplyCase{"customSpeed",
                                {31250, 6, kSpaceParity, kOne5StopBits, FlowControl::None},
                                kDcbParity,
                                kDcbOutX}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SerialSettingsDialog, HeadlessItCancelsAndLeavesTheConfigurationAlone) {
    ASSERT_TRUE(IsHeadlessPlatform());
    COMMCONFIG config{};
    config.dcb.BaudRate = 4800;
    COMMCONFIG before = config;
    SerialSettingsDialog dialog;
    QtDialogHost owner(PortDialogTemplate());
    EXPECT_FALSE(dialog.Run("COM1", static_cast<const DialogHost*>(&owner), &config));
    EXPECT_FALSE(dialog.Run("COM1", nullptr, &config));
    EXPECT_FALSE(dialog.Run("COM1", nullptr, nullptr));
    EXPECT_EQ(std::memcmp(&config, &before, sizeof config), 0);
}

}  // namespace
}  // namespace kestrel
