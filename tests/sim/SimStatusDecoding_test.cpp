// What the simulated printer sends is what the console's decoder understands: each condition
// of a status packet lands in its own box, and a Smart poll reply fills the Smart group.
#include <gtest/gtest.h>

#include <string>

#include "sim/StatusReplies.h"
#include "status/PrinterMode.h"
#include "status/StatusDecoder.h"
#include "support/FakeDialogHost.h"
#include "support/RecordingStatusLog.h"

namespace kestrel {
namespace {

// Appends the bytes and runs passes until they are all decoded.
void DecodeAll(StatusDecoder& decoder, const std::vector<uint8_t>& bytes, PrinterMode mode,
               DialogHost& host, StatusLog& log) {
    ASSERT_LE(bytes.size(), static_cast<size_t>(kStatusBufferSize));
    decoder.Clear();
    std::copy(bytes.begin(), bytes.end(), decoder.m_statusBuffer);
    decoder.m_statusFill = static_cast<int>(bytes.size());
    for (int pass = 0; pass < 10 && decoder.Available() > 0; ++pass) {
        decoder.DecodeStatus(static_cast<int>(mode), host, log);
        decoder.Compact();
    }
    EXPECT_EQ(decoder.Available(), 0);
}

TEST(SimStatusDecodingTest, EachConditionChecksOnlyItsOwnBox) {
    for (size_t i = 0; i < StatusConditions().size(); ++i) {
        const StatusCondition& condition = StatusConditions()[i];
        SCOPED_TRACE(condition.alias);
        PrinterStatus status{};
        SetBit(status, condition, true);
        testing::FakeDialogHost host;
        testing::RecordingStatusLog log;
        StatusDecoder decoder;
        DecodeAll(decoder, BuildStatusPacket(status, 1234, false), PrinterMode::Ventrix, host, log);
        int checked = 0;
        for (const auto& [id, state] : host.m_checks) {
            checked += state;
        }
        EXPECT_EQ(checked, 1);
        EXPECT_EQ(host.IsButtonChecked(kStatusBitTable[i].checkBoxId), 1);
        if (condition.controlName != nullptr) {
            ASSERT_EQ(log.m_entries.size(), 2u);
            EXPECT_EQ(log.m_entries[0], condition.controlName);
        } else {
            EXPECT_TRUE(log.m_entries.empty());
        }
    }
}

TEST(SimStatusDecodingTest, DamagedCrcIsReportedAndChangesNoBox) {
    PrinterStatus status{};
    SetBit(status, *FindStatusCondition("jam"), true);
    testing::FakeDialogHost host;
    testing::RecordingStatusLog log;
    StatusDecoder decoder;
    DecodeAll(decoder, BuildStatusPacket(status, 0, true), PrinterMode::Ventrix, host, log);
    EXPECT_TRUE(host.m_checks.empty());
    EXPECT_EQ(decoder.m_printerInError, 1);
    ASSERT_FALSE(log.m_entries.empty());
    EXPECT_EQ(log.m_entries[0].rfind("CRC error Printer: ", 0), 0u);
}

TEST(SimStatusDecodingTest, SmartPollReplyFillsTheSmartGroup) {
    PrinterStatus status{};
    SetBit(status, *FindStatusCondition("jam"), true);
    testing::FakeDialogHost host;
    testing::RecordingStatusLog log;
    StatusDecoder decoder;
    DecodeAll(decoder, SmartPollReply(status, 5, SmartStateText(status)), PrinterMode::Smart, host,
              log);
    EXPECT_EQ(host.IsButtonChecked(1017), 1);  // Ticket Jam
    EXPECT_EQ(host.IsButtonChecked(1011), 0);
    EXPECT_EQ(host.GetItemText(1036), "Vantor 60 Firmware V1.00");
    EXPECT_EQ(host.GetItemText(1037), "Tickets: 5");
    EXPECT_EQ(host.GetItemText(1032), "Paper jam");
    EXPECT_TRUE(log.m_entries.empty());
}

}  // namespace
}  // namespace kestrel
