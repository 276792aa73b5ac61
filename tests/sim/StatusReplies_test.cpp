#include "sim/StatusReplies.h"

#include <gtest/gtest.h>

#include "SimTestClient.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

using testing::ReadStatusBytes;
using testing::VentrixCrcMatches;

TEST(StatusPacketTest, IsAVentrixPacketOfType0x12WithAGoodCrc) {
    const std::vector<uint8_t> packet = BuildStatusPacket(PrinterStatus{}, 0, false);
    ASSERT_GE(packet.size(), 5u);
    EXPECT_EQ(packet[0], 0x02);
    EXPECT_EQ(packet[1], 0x12);
    EXPECT_EQ(packet[2], packet.size());
    EXPECT_TRUE(VentrixCrcMatches(packet));
    const PacketScan scan = ScanVentrixPacket(packet.data(), static_cast<int>(packet.size()));
    EXPECT_EQ(scan.status, PacketScanStatus::Complete);
    EXPECT_TRUE(scan.crcMatches);
}

TEST(StatusPacketTest, NeitherTheLengthNorTheTypeReadsAsASeparator) {
    // The console counts "|" from the packet's first byte: only the payload may hold them, and
    // exactly three come before the status bytes, none after.
    for (const int tickets : {0, 7, 9999, 10000, 123456}) {
        const std::vector<uint8_t> packet = BuildStatusPacket(PrinterStatus{}, tickets, false);
        EXPECT_NE(packet[1], '|');
        EXPECT_NE(packet[2], '|');
        const size_t bars = static_cast<size_t>(std::count(packet.begin(), packet.end() - 2, '|'));
        EXPECT_EQ(bars, 3u) << "tickets " << tickets;
        EXPECT_EQ(packet.size(), BuildStatusPacket(PrinterStatus{}, 0, false).size());
    }
}

TEST(StatusPacketTest, EveryConditionLandsOnItsByteAndMaskAfterTheThirdSeparator) {
    for (const StatusCondition& condition : StatusConditions()) {
        PrinterStatus status{};
        SetBit(status, condition, true);
        const std::vector<uint8_t> packet = BuildStatusPacket(status, 42, false);
        const std::optional<PrinterStatus> read = ReadStatusBytes(packet);
        ASSERT_TRUE(read.has_value()) << condition.alias;
        EXPECT_EQ(*read, status) << condition.alias;
        EXPECT_TRUE(VentrixCrcMatches(packet)) << condition.alias;
    }
}

TEST(StatusPacketTest, FillerBetweenStatusBytesIsNoSeparator) {
    const std::vector<uint8_t> payload = StatusPayload({0x3F, 0x2F, 0x3D, 0x03, 0x3C}, 1);
    const size_t origin = payload.size() - 9;
    for (size_t i = origin + 1; i < payload.size(); i += 2) {
        EXPECT_EQ(payload[i], kStatusFiller);
        EXPECT_NE(payload[i], '|');
    }
    EXPECT_EQ(payload[origin - 1], '|');
}

TEST(StatusPacketTest, DamagedCrcNoLongerMatchesButTheBytesStay) {
    const PrinterStatus status = {0x04, 0, 0, 0x02, 0};
    const std::vector<uint8_t> good = BuildStatusPacket(status, 3, false);
    const std::vector<uint8_t> bad = BuildStatusPacket(status, 3, true);
    EXPECT_FALSE(VentrixCrcMatches(bad));
    ASSERT_EQ(good.size(), bad.size());
    EXPECT_TRUE(std::equal(good.begin(), good.end() - 2, bad.begin()));
}

TEST(SmartRecordsTest, PollReplyHoldsTheFourRecordsWithTheirLengths) {
    const std::vector<uint8_t> reply = SmartPollReply(PrinterStatus{}, 5, "Ready");
    ASSERT_EQ(reply.size(), static_cast<size_t>(kSmartStatusLength + kSmartInfoLine1Length +
                                                kSmartInfoLine2Length + kSmartStateLength));
    size_t at = 0;
    EXPECT_EQ(reply[at], kSmartStatusCode);
    at += kSmartStatusLength;
    EXPECT_EQ(reply[at], kSmartInfoLine1Code);
    at += kSmartInfoLine1Length;
    EXPECT_EQ(reply[at], kSmartInfoLine2Code);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&reply[at + 1])), "Tickets: 5");
    at += kSmartInfoLine2Length;
    EXPECT_EQ(reply[at], kSmartStateCode);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&reply[at + 1])), "Ready");
    EXPECT_EQ(reply.back(), 0);
}

TEST(SmartRecordsTest, TextIsCutSoTheRecordKeepsItsLengthAndEndsInNul) {
    const std::vector<uint8_t> record =
        SmartTextRecord(kSmartInfoLine2Code, kSmartInfoLine2Length, std::string(100, 'x'));
    ASSERT_EQ(record.size(), static_cast<size_t>(kSmartInfoLine2Length));
    EXPECT_EQ(record[kSmartInfoLine2Length - 2], 'x');
    EXPECT_EQ(record.back(), 0);
}

TEST(SmartRecordsTest, ConditionsMapOntoTheSmartStatusBits) {
    struct Case {
        const char* condition;
        std::array<uint8_t, 2> bits;
    };
    const Case cases[] = {
        {"paper-out", {0x01, 0}},
        {"paper-low", {0x02, 0}},
        {"head-up", {0x04, 0}},
        {"data-error", {0x08, 0}},
        {"door-open", {0x10, 0}},
        {"tof-error", {0x20, 0}},
        {"jam", {0, 0x01}},
        {"paper-in-chute", {0, 0x02}},
        {"printer-error", {0, 0x04}},
        {"IDC_CHECKFIRM", {0, 0x04}},
        {"busy", {0, 0}},
        {"barcode-done", {0, 0}},
    };
    for (const Case& c : cases) {
        PrinterStatus status{};
        SetBit(status, *FindStatusCondition(c.condition), true);
        EXPECT_EQ(SmartStatusBits(status), c.bits) << c.condition;
    }
}

TEST(SmartRecordsTest, StateTextNamesTheWorstCondition) {
    PrinterStatus status{};
    EXPECT_EQ(SmartStateText(status), "Ready");
    SetBit(status, *FindStatusCondition("busy"), true);
    EXPECT_EQ(SmartStateText(status), "Printing");
    SetBit(status, *FindStatusCondition("jam"), true);
    EXPECT_EQ(SmartStateText(status), "Paper jam");
    EXPECT_EQ(SmartStateText({0, 0x01, 0, 0, 0}), "Printer error");
}

TEST(StatusBitsTest, NamesAndAliasesFindTheirConditionWithoutCase) {
    EXPECT_EQ(FindStatusCondition("IDC_CHECKJAM"), FindStatusCondition("jam"));
    EXPECT_EQ(FindStatusCondition("idc_checkjam"), FindStatusCondition("JAM"));
    EXPECT_EQ(FindStatusCondition("jamm"), nullptr);
    EXPECT_EQ(FindStatusCondition(""), nullptr);
    const StatusCondition* next = FindStatusCondition("IDC_CHECKNEXT");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->byteIndex, 4);
    EXPECT_EQ(next->mask, 0x10);
    // Every one of the 22 has a distinct place.
    for (size_t i = 0; i < StatusConditions().size(); ++i) {
        for (size_t j = i + 1; j < StatusConditions().size(); ++j) {
            const auto& a = StatusConditions()[i];
            const auto& b = StatusConditions()[j];
            EXPECT_FALSE(a.byteIndex == b.byteIndex && a.mask == b.mask) << a.alias << b.alias;
        }
    }
}

TEST(StatusBitsTest, DescribeListsSetBitsByDisplayName) {
    PrinterStatus status{};
    EXPECT_EQ(DescribeStatus(status), "none");
    SetBit(status, *FindStatusCondition("busy"), true);
    SetBit(status, *FindStatusCondition("jam"), true);
    EXPECT_EQ(DescribeStatus(status), "busy,IDC_CHECKJAM");
    SetBit(status, *FindStatusCondition("busy"), false);
    EXPECT_EQ(DescribeStatus(status), "IDC_CHECKJAM");
}

}  // namespace
}  // namespace kestrel
