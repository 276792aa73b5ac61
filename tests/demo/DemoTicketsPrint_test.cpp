// Each demo ticket, sent as the console sends it in its mode, drives the simulated printer as
// the ticket's comments say: a ticket prints through to the top of the next form with every
// byte understood, a status check is answered and prints nothing.
#include <gtest/gtest.h>

#include "DemoFolder.h"
#include "sim/SimPrinter.h"
#include "sim/StatusReplies.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

using testing::DemoFile;
using testing::DemoTicketTitles;
using testing::Encode;
using testing::SplitLines;

constexpr uint64_t kPhaseMs = 100;
constexpr uint64_t kLineGapMs = 34;  // start-byte waits and the 22 ms pause between lines
constexpr uint64_t kAllPhasesMs = 5 * kPhaseMs;

enum class Outcome { PrintsTicket, AnswersStatus };

struct DemoCase {
    const char* title;
    PrinterMode mode;
    Outcome outcome;
};

const DemoCase kCases[] = {
    {"Ventrix Boarding Pass", PrinterMode::Ventrix, Outcome::PrintsTicket},
    {"Ventrix Event Ticket", PrinterMode::Ventrix, Outcome::PrintsTicket},
    {"Smart Concert Ticket", PrinterMode::Smart, Outcome::PrintsTicket},
    {"Smart Concert Ticket", PrinterMode::SerialPacket, Outcome::PrintsTicket},
    {"Smart Status Check", PrinterMode::Smart, Outcome::AnswersStatus},
    {"Smart Status Check", PrinterMode::SerialPacket, Outcome::AnswersStatus},
    {"Normal Parking Receipt", PrinterMode::Normal, Outcome::PrintsTicket},
    {"Normal Parking Receipt", PrinterMode::Smart, Outcome::PrintsTicket},
    {"Normal Parking Receipt", PrinterMode::SerialPacket, Outcome::PrintsTicket},
};

void PrintTo(const DemoCase& demo, std::ostream* out) {
    *out << demo.title << " in " << ModeName(demo.mode) << " mode";
}

// Sends the ticket in line mode (Ventrix) or whole-file mode and returns every reply, asked for
// or not, once all ticket phases are due.
std::vector<uint8_t> SendTicket(SimPrinter& printer, const std::string& text, PrinterMode mode) {
    std::vector<uint8_t> replies;
    const auto take = [&replies](const std::vector<uint8_t>& bytes) {
        replies.insert(replies.end(), bytes.begin(), bytes.end());
    };
    SequenceState sequence;
    uint64_t now = 0;
    if (mode == PrinterMode::Ventrix) {
        for (const std::string& line : SplitLines(text)) {
            std::vector<uint8_t> packet = Encode(line);
            if (packet.empty()) {
                continue;
            }
            const int count = static_cast<int>(packet.size());
            packet.resize(packet.size() + kVentrixFramingBytes);
            packet.resize(static_cast<size_t>(FrameVentrixPacket(packet.data(), count, sequence)));
            take(printer.Receive(packet, now += kLineGapMs));
        }
    } else if (mode == PrinterMode::SerialPacket) {
        take(printer.Receive(BuildSerialPacket(sequence.TakeSerialSequence(), Encode(text)), now));
    } else {
        take(printer.Receive(Encode(text), now));
    }
    for (uint64_t t = now; t <= now + kAllPhasesMs; t += kPhaseMs / 2) {
        take(printer.Tick(t));
    }
    return replies;
}

class DemoTicketPrintTest : public ::testing::TestWithParam<DemoCase> {};

TEST_P(DemoTicketPrintTest, DrivesTheSimulatorAsItsCommentsSay) {
    const DemoCase& demo = GetParam();
    SimPrinter printer(PrinterSettings{demo.mode, kPhaseMs, 0});
    const std::vector<uint8_t> replies =
        SendTicket(printer, DemoFile(std::string(demo.title) + ".dmo"), demo.mode);

    EXPECT_EQ(printer.Counters().crcErrors, 0u);
    const FramerCounters input = printer.InputCounters();
    EXPECT_EQ(input.skippedBytes + input.malformed + input.abandoned, 0u);
    EXPECT_EQ(printer.BufferedInput(), 0u);
    if (demo.outcome == Outcome::AnswersStatus) {
        EXPECT_EQ(printer.Counters().ticketData, 0u);
        EXPECT_EQ(printer.Counters().statusRequests, 1u);
        const size_t recordAt = demo.mode == PrinterMode::SerialPacket ? kSerialHeaderBytes : 0;
        ASSERT_GT(replies.size(), recordAt);
        EXPECT_EQ(replies[recordAt], kSmartStatusCode);
        return;
    }
    EXPECT_EQ(printer.Counters().statusRequests, 0u);
    EXPECT_GT(printer.Counters().ticketData, 0u);
    EXPECT_EQ(printer.Job().TicketsPrinted(), 1);
    EXPECT_EQ(printer.Job().Phase(), TicketPhase::Done);
    if (demo.mode == PrinterMode::Smart) {
        const std::vector<uint8_t> done = SmartValueRecord(kSmartPercentCode, 100);
        EXPECT_EQ(std::vector<uint8_t>(replies.end() - 2, replies.end()), done);
    }
}

std::string CaseName(const ::testing::TestParamInfo<DemoCase>& info) {
    std::string name = std::string(info.param.title) + "_" + ModeName(info.param.mode);
    for (char& c : name) {
        c = c == ' ' ? '_' : c;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Tickets, DemoTicketPrintTest, ::testing::ValuesIn(kCases), CaseName);

TEST(DemoTicketTableTest, CoversEveryTicketOfTheFolder) {
    for (const std::string& title : DemoTicketTitles()) {
        EXPECT_TRUE(std::any_of(std::begin(kCases), std::end(kCases), [&](const DemoCase& demo) {
            return title == demo.title;
        })) << title;
    }
}

}  // namespace
}  // namespace kestrel
