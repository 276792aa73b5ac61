// Playback's console: the status display as the console's decoder left it at the chosen row,
// the mode of that row, and nothing that could send enabled.
#include <gtest/gtest.h>

#include "console/ControlIds.h"
#include "packets/PacketTestSupport.h"
#include "packets/PlaybackConsole.h"
#include "status/PrinterMode.h"
#include "support/FakeDialogHost.h"

namespace kestrel {
namespace {

using testing::ManualClock;
using testing::StatusPacket;

constexpr int kPaperJam = 1089;
constexpr int kPaperOut = 1074;
constexpr int kTicketLow = 1012;

TEST(PlaybackConsole, ShowsTheStatusAsTheDecoderLeftItAtTheChosenRow) {
    ManualClock clock;
    SessionFrames frames(clock.Function());
    PacketStore store;
    frames.AddSink(store);
    const auto receive = [&](const std::vector<uint8_t>& bytes, PrinterMode mode) {
        clock.now += 100'000;
        frames.OnTraffic(bytes.data(), static_cast<int>(bytes.size()), TrafficReceived,
                         static_cast<int>(mode), TrafficFraming::None);
    };
    std::vector<uint8_t> badCrc = StatusPacket({kPaperOut});
    badCrc.back() ^= 1;
    receive(StatusPacket({kPaperJam}), PrinterMode::Ventrix);  // rows 0 (mode) and 1
    receive(badCrc, PrinterMode::Ventrix);                     // 2: dropped, changes nothing
    receive(StatusPacket({}), PrinterMode::Ventrix);           // 3
    receive({0x81, 0x02, 0x00}, PrinterMode::Smart);           // 4 (mode), 5
    receive({0x83, 'H', 'i', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
            PrinterMode::Smart);
    ASSERT_EQ(store.RowCount(), 7u);

    const PlaybackTimeline timeline(store);
    PlaybackConsole console(store, timeline);
    testing::FakeDialogHost host;
    console.Attach(host);
    console.OnInitDialog();
    for (const int sender : {IDC_COMM, IDC_PRINT, IDC_SENDCOMMAND, IDC_POLLBUTTON, IDC_RESET}) {
        EXPECT_FALSE(host.m_enabled.at(sender)) << sender;
    }
    EXPECT_EQ(host.m_enabled.count(IDC_HEX), 0u);

    struct Expected {
        size_t row;
        int paperJam;
        int paperOut;
        int ticketLow;
        int modeBox;
        std::string infoLine2;
    };
    for (const Expected& expected :
         {Expected{0, 0, 0, 0, IDC_VENTRIXMODE, ""}, Expected{1, 1, 0, 0, IDC_VENTRIXMODE, ""},
          Expected{2, 1, 0, 0, IDC_VENTRIXMODE, ""}, Expected{3, 0, 0, 0, IDC_VENTRIXMODE, ""},
          Expected{5, 0, 0, 1, IDC_SMARTMODE, ""}, Expected{6, 0, 0, 1, IDC_SMARTMODE, "Hi"},
          Expected{1, 1, 0, 0, IDC_VENTRIXMODE, ""}}) {
        console.ShowRow(expected.row);
        EXPECT_EQ(host.IsButtonChecked(kPaperJam), expected.paperJam) << expected.row;
        EXPECT_EQ(host.IsButtonChecked(kPaperOut), expected.paperOut) << expected.row;
        EXPECT_EQ(host.IsButtonChecked(kTicketLow), expected.ticketLow) << expected.row;
        EXPECT_EQ(host.IsButtonChecked(expected.modeBox), 1) << expected.row;
        EXPECT_EQ(host.GetItemText(IDC_INFOLINE2), expected.infoLine2) << expected.row;
        EXPECT_EQ(host.IsItemVisible(IDC_SMARTGROUP), expected.modeBox == IDC_SMARTMODE);
    }
    EXPECT_GT(console.Capture().m_trafficCount, 0);
}

}  // namespace
}  // namespace kestrel
