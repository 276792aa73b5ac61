// Serial packets as long as a whole-file ticket, and as long as the length field allows, are
// taken whole by the simulator over TCP; the framing stays in step behind them.
#include <gtest/gtest.h>

#include "SimTestClient.h"
#include "sim/SmartPollScanner.h"
#include "sim/StatusReplies.h"
#include "status/SerialPacket.h"

namespace kestrel {
namespace {

using testing::ControlClient;
using testing::SimRunner;
using testing::StatusField;
using testing::StreamClient;
using testing::TestOptions;

// 9,999 converted bytes of a whole-file ticket and its 7 bytes of framing.
constexpr size_t kWholeFileTicketPacket = 10'006;

class SimLongSerialPacketTest : public ::testing::TestWithParam<size_t> {};

TEST_P(SimLongSerialPacketTest, IsTakenAsOneTicketAndTheNextPollIsAnswered) {
    SimOptions options = TestOptions();
    options.printer.mode = PrinterMode::SerialPacket;
    SimRunner runner(options);
    ASSERT_TRUE(runner.Started()) << runner.Error();
    ControlClient control;
    ASSERT_TRUE(control.Connect(runner.ControlAddress()));
    StreamClient console;
    ASSERT_TRUE(console.Connect(runner.TcpAddress()));

    const std::vector<uint8_t> data(GetParam() - kSerialFramingBytes, 'T');
    const std::vector<uint8_t> ticket = BuildSerialPacket(1, data);
    ASSERT_EQ(ticket.size(), GetParam());
    ASSERT_TRUE(console.Send(ticket));
    const std::vector<uint8_t> poll(std::begin(kSmartShortPoll), std::end(kSmartShortPoll));
    ASSERT_TRUE(console.Send(BuildSerialPacket(2, poll)));

    const auto reply = console.ReadSerialPacket();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ((*reply)[kSerialHeaderBytes], kSmartStatusCode);
    const std::string status = control.Command("status");
    EXPECT_EQ(StatusField(status, "packets"), "2") << status;
    EXPECT_EQ(StatusField(status, "abandoned"), "0") << status;
    EXPECT_EQ(StatusField(status, "skipped"), "0") << status;
    EXPECT_NE(StatusField(status, "ticket"), "idle") << status;
}

INSTANTIATE_TEST_SUITE_P(Lengths, SimLongSerialPacketTest,
                         ::testing::Values(kWholeFileTicketPacket,
                                           static_cast<size_t>(kSerialMaximumLength)));

}  // namespace
}  // namespace kestrel
