#include "sim/SimPrinter.h"

#include <gtest/gtest.h>

#include "SimTestClient.h"
#include "sim/ControlCommands.h"
#include "sim/StatusReplies.h"
#include "status/Crc16.h"
#include "status/SerialPacket.h"

namespace kestrel {
namespace {

using testing::ClearAllPacket;
using testing::ConsolePacket;
using testing::ReadStatusBytes;
using testing::VentrixCrcMatches;

constexpr uint64_t kPhase = 100;
constexpr uint64_t kT0 = 1000;
const std::vector<uint8_t> kNull = {0x02, 0x00};

class VentrixPrinterTest : public ::testing::Test {
  protected:
    std::vector<uint8_t> Request(uint64_t now) {
        return m_printer.Receive(ConsolePacket(0x12), now);
    }
    PrinterStatus StatusAt(uint64_t now) {
        const std::vector<uint8_t> reply = Request(now);
        EXPECT_TRUE(VentrixCrcMatches(reply));
        return ReadStatusBytes(reply).value_or(PrinterStatus{0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    }
    std::string Command(const std::string& line) { return RunControlCommand(line, m_printer); }

    SimPrinter m_printer{PrinterSettings{PrinterMode::Ventrix, kPhase, 0}};
};

TEST_F(VentrixPrinterTest, NullPacketIsAnsweredWithANullPacket) {
    EXPECT_EQ(m_printer.Receive(kNull, kT0), kNull);
    EXPECT_EQ(m_printer.Counters().packets, 1u);
}

TEST_F(VentrixPrinterTest, StatusRequestWithAnySequenceIsAnsweredWithAGoodStatusPacket) {
    for (int sequence = 0; sequence < 4; ++sequence) {
        const std::vector<uint8_t> reply =
            m_printer.Receive(ConsolePacket(0x12, {}, sequence), kT0);
        ASSERT_GE(reply.size(), 5u);
        EXPECT_EQ(reply[1], 0x12);
        EXPECT_TRUE(VentrixCrcMatches(reply));
        EXPECT_EQ(ReadStatusBytes(reply), PrinterStatus{});
    }
    EXPECT_EQ(m_printer.Counters().statusRequests, 4u);
}

TEST_F(VentrixPrinterTest, PacketWithABadCrcIsCountedAndNotAnswered) {
    std::vector<uint8_t> request = ConsolePacket(0x12);
    request[request.size() - 2] ^= 0x40;
    EXPECT_TRUE(m_printer.Receive(request, kT0).empty());
    EXPECT_EQ(m_printer.Counters().crcErrors, 1u);
    EXPECT_EQ(m_printer.Counters().statusRequests, 0u);
    EXPECT_EQ(m_printer.Receive(kNull, kT0), kNull);
}

TEST_F(VentrixPrinterTest, TicketGoesThroughItsFourPhasesThenClearAllClearsTheDoneBits) {
    EXPECT_TRUE(m_printer.Receive(ConsolePacket(0x05, {'T', 'K'}), kT0).empty());
    EXPECT_EQ(StatusAt(kT0 + kPhase - 1), PrinterStatus{});
    m_printer.Tick(kT0 + kPhase);
    EXPECT_EQ(StatusAt(kT0 + kPhase), (PrinterStatus{0x20, 0, 0, 0, 0}));
    EXPECT_EQ(StatusAt(kT0 + 2 * kPhase), (PrinterStatus{0x20, 0, 0, 0, 0x20}));
    EXPECT_EQ(StatusAt(kT0 + 3 * kPhase), (PrinterStatus{0x20, 0, 0x08, 0, 0x20}));
    EXPECT_EQ(StatusAt(kT0 + 4 * kPhase), (PrinterStatus{0, 0, 0x08, 0, 0x30}));
    EXPECT_EQ(m_printer.Job().TicketsPrinted(), 1);

    // The monitor's Clear-all carries sequence bits and has type 0x10 after masking.
    EXPECT_TRUE(m_printer.Receive(ClearAllPacket(3), kT0 + 5 * kPhase).empty());
    EXPECT_EQ(m_printer.Counters().clearAlls, 1u);
    EXPECT_EQ(StatusAt(kT0 + 5 * kPhase), PrinterStatus{});
}

TEST_F(VentrixPrinterTest, ClearAllIsKnownByItsPayloadNotByItsType) {
    const std::vector<uint8_t> clearAll = ClearAllPacket(0);
    EXPECT_EQ(clearAll.size(), 15u);
    EXPECT_EQ(clearAll[1] & 0x1F, 0x10);
    // Same type, other payload: ticket data.
    m_printer.Receive(ConsolePacket(0x30, {'^', 'C'}), kT0);
    EXPECT_EQ(m_printer.Counters().clearAlls, 0u);
    EXPECT_EQ(m_printer.Job().Phase(), TicketPhase::Receiving);
}

TEST_F(VentrixPrinterTest, EachConditionCanBeForcedAndClearedByName) {
    for (const StatusCondition& condition : StatusConditions()) {
        const std::string name = condition.controlName ? condition.controlName : condition.alias;
        ASSERT_EQ(Command(name), "ok");
        PrinterStatus expected{};
        SetBit(expected, condition, true);
        EXPECT_EQ(StatusAt(kT0), expected) << name;
        ASSERT_EQ(Command(std::string(condition.alias) + " off"), "ok");
        EXPECT_EQ(StatusAt(kT0), PrinterStatus{}) << name;
    }
}

TEST_F(VentrixPrinterTest, TheFiveCommonFaultsSetTheirBits) {
    ASSERT_EQ(Command("paper-out"), "ok");
    ASSERT_EQ(Command("paper-low on"), "ok");
    ASSERT_EQ(Command("jam"), "ok");
    ASSERT_EQ(Command("door-open"), "ok");
    ASSERT_EQ(Command("head-up"), "ok");
    EXPECT_EQ(StatusAt(kT0), (PrinterStatus{0x0C, 0, 0, 0x03, 0x04}));
    ASSERT_EQ(Command("clear"), "ok");
    EXPECT_EQ(StatusAt(kT0), PrinterStatus{});
}

TEST_F(VentrixPrinterTest, BadCrcDamagesExactlyTheNextNReplies) {
    ASSERT_EQ(Command("bad-crc 2"), "ok");
    EXPECT_EQ(m_printer.Receive(kNull, kT0), kNull);  // no CRC, not counted
    EXPECT_FALSE(VentrixCrcMatches(Request(kT0)));
    EXPECT_FALSE(VentrixCrcMatches(Request(kT0)));
    EXPECT_TRUE(VentrixCrcMatches(Request(kT0)));
}

TEST_F(VentrixPrinterTest, SilenceAnswersNothingButStillCounts) {
    ASSERT_EQ(Command("silence on"), "ok");
    EXPECT_TRUE(m_printer.Receive(kNull, kT0).empty());
    EXPECT_TRUE(Request(kT0).empty());
    EXPECT_EQ(m_printer.Counters().statusRequests, 1u);
    ASSERT_EQ(Command("silence off"), "ok");
    EXPECT_EQ(m_printer.Receive(kNull, kT0), kNull);
}

TEST_F(VentrixPrinterTest, NeverBusyTakesTheTicketButNeverPrintsIt) {
    ASSERT_EQ(Command("never-busy on"), "ok");
    m_printer.Receive(ConsolePacket(0x05, {'T'}), kT0);
    EXPECT_EQ(m_printer.Counters().ticketData, 1u);
    EXPECT_EQ(StatusAt(kT0 + 10 * kPhase), PrinterStatus{});
    EXPECT_EQ(m_printer.NextDeadline(), 0u);
}

TEST_F(VentrixPrinterTest, AJamStopsTheTicketUntilCleared) {
    m_printer.Receive(ConsolePacket(0x05, {'T'}), kT0);
    m_printer.Tick(kT0 + kPhase);
    ASSERT_EQ(Command("jam"), "ok");
    EXPECT_EQ(StatusAt(kT0 + 10 * kPhase), (PrinterStatus{0x20, 0, 0, 0x02, 0}));
    ASSERT_EQ(Command("jam off"), "ok");
    EXPECT_EQ(StatusAt(kT0 + 11 * kPhase - 1), (PrinterStatus{0x20, 0, 0, 0, 0}));
    EXPECT_EQ(StatusAt(kT0 + 11 * kPhase), (PrinterStatus{0x20, 0, 0, 0, 0x20}));
    // Paper low is only a warning.
    ASSERT_EQ(Command("paper-low"), "ok");
    EXPECT_EQ(StatusAt(kT0 + 12 * kPhase), (PrinterStatus{0x20, 0, 0x08, 0x01, 0x20}));
}

TEST(PrinterVerboseTest, DecodedPacketsAreLoggedWhenAsked) {
    std::vector<std::string> lines;
    SimPrinter printer(PrinterSettings{PrinterMode::Ventrix, kPhase, 0},
                       [&](const std::string& line) { lines.push_back(line); });
    printer.Receive(kNull, kT0);
    std::vector<uint8_t> bad = ConsolePacket(0x12);
    bad.back() ^= 1;
    printer.Receive(bad, kT0);
    printer.Receive(ClearAllPacket(1), kT0);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "rx null packet");
    EXPECT_EQ(lines[1].rfind("rx packet with a bad CRC: carries ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "rx clear-all, sequence 1");
}

TEST(PrinterPeriodicTest, PeriodicStatusGoesOutUnaskedEveryPeriod) {
    SimPrinter printer(PrinterSettings{PrinterMode::Ventrix, kPhase, 250});
    EXPECT_EQ(printer.NextDeadline(), 1u);
    const std::vector<uint8_t> first = printer.Tick(kT0);
    EXPECT_TRUE(VentrixCrcMatches(first));
    EXPECT_EQ(first[1], 0x12);
    EXPECT_EQ(printer.NextDeadline(), kT0 + 250);
    EXPECT_TRUE(printer.Tick(kT0 + 249).empty());
    EXPECT_FALSE(printer.Tick(kT0 + 250).empty());
    printer.Faults().silent = true;
    EXPECT_TRUE(printer.Tick(kT0 + 500).empty());
}

TEST(SmartPrinterTest, PollsAreAnsweredWithTheFourRecords) {
    SimPrinter printer(PrinterSettings{PrinterMode::Smart, kPhase, 0});
    printer.Faults().forcedBits[0] = 0x04;  // paper out
    for (const std::vector<uint8_t>& poll :
         {std::vector<uint8_t>{0x1D, 0x7E, 0x53, 0x53, 0x81}, std::vector<uint8_t>{0x1D, 0x79}}) {
        const std::vector<uint8_t> reply = printer.Receive(poll, kT0);
        ASSERT_EQ(reply.size(), 340u);
        EXPECT_EQ(reply[0], 0x81);
        EXPECT_EQ(reply[1], 0x01);  // Ticket Out
        EXPECT_EQ(reply[3], 0x82);
        EXPECT_EQ(reply[63], 0x83);
        EXPECT_EQ(reply[83], 0x8A);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&reply[84])), "Paper out");
    }
}

TEST(SmartPrinterTest, TicketProgressIsReportedWithRecordsInOrder) {
    SimPrinter printer(PrinterSettings{PrinterMode::Smart, kPhase, 0});
    EXPECT_TRUE(printer.Receive(std::vector<uint8_t>{0x1B, '@', 'H', 'i'}, kT0).empty());
    std::vector<uint8_t> progress;
    for (uint64_t t = kT0; t <= kT0 + 5 * kPhase; t += kPhase / 4) {
        const std::vector<uint8_t> out = printer.Tick(t);
        progress.insert(progress.end(), out.begin(), out.end());
    }
    EXPECT_EQ(progress,
              (std::vector<uint8_t>{0x85, 0, 0x86, 1, 0x85, 50, 0x87, 1, 0x85, 90, 0x85, 100}));
}

TEST(SerialPrinterTest, PollInASerialPacketIsAnsweredInOneWithAGoodCrc) {
    SimPrinter printer(PrinterSettings{PrinterMode::SerialPacket, kPhase, 0});
    const std::vector<uint8_t> poll = {0x1D, 0x7E, 0x53, 0x53, 0x81};
    const std::vector<uint8_t> reply = printer.Receive(BuildSerialPacket(5, poll), kT0);
    const PacketScan scan = ScanSerialPacket(reply.data(), static_cast<int>(reply.size()));
    ASSERT_EQ(scan.status, PacketScanStatus::Complete);
    EXPECT_TRUE(scan.crcMatches);
    EXPECT_EQ(scan.sequence, 5);
    EXPECT_EQ(scan.length, static_cast<int>(reply.size()));
    EXPECT_EQ(reply[scan.payloadOffset], 0x81);

    printer.Faults().badCrcReplies = 1;
    const std::vector<uint8_t> damaged = printer.Receive(BuildSerialPacket(6, poll), kT0);
    EXPECT_FALSE(ScanSerialPacket(damaged.data(), static_cast<int>(damaged.size())).crcMatches);
}

TEST(SerialPrinterTest, BadCrcIsCountedAndOtherDataStartsATicket) {
    SimPrinter printer(PrinterSettings{PrinterMode::SerialPacket, kPhase, 0});
    std::vector<uint8_t> packet = BuildSerialPacket(1, std::vector<uint8_t>{'A'});
    packet.back() ^= 1;
    EXPECT_TRUE(printer.Receive(packet, kT0).empty());
    EXPECT_EQ(printer.Counters().crcErrors, 1u);
    packet.back() ^= 1;
    EXPECT_TRUE(printer.Receive(packet, kT0).empty());
    EXPECT_EQ(printer.Job().Phase(), TicketPhase::Receiving);
}

TEST(NormalPrinterTest, AnswersNothingButPrints) {
    SimPrinter printer(PrinterSettings{PrinterMode::Normal, kPhase, 0});
    EXPECT_TRUE(printer.Receive(std::vector<uint8_t>{0x1D, 0x79}, kT0).empty());
    EXPECT_TRUE(printer.Receive(std::vector<uint8_t>{'A', 'B'}, kT0).empty());
    printer.Tick(kT0 + 4 * kPhase);
    EXPECT_TRUE(printer.Tick(kT0 + 4 * kPhase).empty());
    EXPECT_EQ(printer.Job().TicketsPrinted(), 1);
}

}  // namespace
}  // namespace kestrel
