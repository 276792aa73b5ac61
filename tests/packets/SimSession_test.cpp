// A session with the simulated printer in every mode, seen through the recording point: the
// packet view's rows name every kind of frame and the bad CRC the printer was told to send, and
// the recording of it plays back as the console's capture held it.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "console/TicketConsoleFixture.h"
#include "console/TimerIds.h"
#include "packets/PacketTestSupport.h"
#include "packets/PlaybackTimeline.h"
#include "packets/RecordingReader.h"
#include "packets/RecordingWriter.h"
#include "sim/SimTestClient.h"
#include "status/ClearAllCommand.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;

const std::vector<uint8_t> kStatusRequest = {0x02, 0x12};
const std::vector<uint8_t> kNullPoll = {0x02, 0x00};
const std::vector<uint8_t> kSmartPoll = {0x1D, '~', 'S', 'S', 0x81};

class SimSessionTest : public testing::TicketConsoleTest {
  protected:
    void SetUp() override {
        TicketConsoleTest::SetUp();
        SimOptions options = testing::TestOptions();
        options.printer.mode = PrinterMode::Ventrix;
        m_sim = std::make_unique<testing::SimRunner>(options);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
        ASSERT_TRUE(m_control.Connect(m_sim->ControlAddress()));
        m_writer = std::make_unique<RecordingWriter>(
            RecordingSettings{true, m_folder.File("recordings"), 0},
            [this] { return m_app->m_portName; },
            [this](const char* format) { return m_clock.FormatLocalTime(format); });
        m_frames.AddSink(m_store);
        m_frames.AddSink(*m_writer);
        m_app->m_trafficObserver = &m_frames;
        SetMode(PrinterMode::Ventrix);
        OpenPort(m_sim->TcpAddress());
    }
    void TearDown() override {
        m_app->m_trafficObserver = nullptr;
        TicketConsoleTest::TearDown();
        m_sim.reset();
    }
    void Mode(PrinterMode mode, const std::string& simMode) {
        ASSERT_EQ(m_control.Command("mode " + simMode), "ok");
        SetMode(mode);
    }
    // Sends as the console does and reads until a received row of `kind` comes.
    void Exchange(const std::vector<uint8_t>& bytes, bool ventrix, FrameKind kind) {
        const size_t before = m_store.RowCount();
        m_app->Transmit(bytes.data(), static_cast<int>(bytes.size()), ventrix ? 1 : 0);
        const auto deadline = std::chrono::steady_clock::now() + testing::kReplyWait;
        const auto arrived = [&] {
            for (size_t row = before; row < m_store.RowCount(); ++row) {
                if (m_store.Row(row).direction == TrafficReceived &&
                    m_store.Row(row).kind == kind) {
                    return true;
                }
            }
            return false;
        };
        while (!arrived() && std::chrono::steady_clock::now() < deadline) {
            m_dlg->OnTimer(TIMER_STATUS_READ);
            m_frames.Tick();
        }
        EXPECT_TRUE(arrived()) << FrameKindName(kind);
    }
    bool HasRow(const std::string& prefix) const {
        const std::vector<std::string> rows = testing::RowTexts(m_store);
        return std::any_of(rows.begin(), rows.end(),
                           [&](const std::string& row) { return row.rfind(prefix, 0) == 0; });
    }

    std::unique_ptr<testing::SimRunner> m_sim;
    testing::ControlClient m_control;
    SessionFrames m_frames;
    PacketStore m_store;
    std::unique_ptr<RecordingWriter> m_writer;
};

TEST_F(SimSessionTest, RowsOfEveryKindABadCrcAndARecordingThatPlaysBackAsTheCaptureStood) {
    Exchange(kStatusRequest, true, FrameKind::Ventrix);
    ASSERT_EQ(m_control.Command("bad-crc 1"), "ok");
    Exchange(kStatusRequest, true, FrameKind::Ventrix);
    Exchange(kNullPoll, true, FrameKind::Ventrix);
    m_app->Transmit(kClearAllCommand.data(), static_cast<int>(kClearAllCommand.size()), 1);
    Mode(PrinterMode::Smart, "smart");
    Exchange(kSmartPoll, false, FrameKind::Smart);
    Mode(PrinterMode::SerialPacket, "serial");
    Exchange(kSmartPoll, false, FrameKind::SerialPacket);
    Mode(PrinterMode::Normal, "normal");
    const std::vector<uint8_t> reset = {0x1B, '@'};
    m_app->Transmit(reset.data(), static_cast<int>(reset.size()), 0);
    m_frames.Finish();

    for (const char* row :
         {"M Mode: Ventrix", "S Ventrix: Status request",
          "R Ventrix: Status: ", "R Ventrix: CRC mismatch", "S Ventrix: Null packet",
          "S Ventrix: Clear-all", "M Mode: Smart", "S Bytes: \"[GS]~SS<0x81>\"",
          "R Smart: Status: ", "M Mode: SerialPacket", "S Serial: Data \"[GS]~SS<0x81>\"",
          "R Serial: Data ", "M Mode: Normal", "S Bytes: \"[ESC]@\""}) {
        EXPECT_TRUE(HasRow(row)) << row;
    }
    size_t mismatches = 0;
    for (size_t row = 0; row < m_store.RowCount(); ++row) {
        mismatches += m_store.Row(row).crcMismatch ? 1 : 0;
    }
    EXPECT_EQ(mismatches, 1u);

    ASSERT_TRUE(m_writer->Flush());
    PacketStore played;
    const RecordingContents contents = ReadRecording(m_writer->Path(), played);
    ASSERT_TRUE(contents.read) << contents.error;
    EXPECT_EQ(testing::RowTexts(played), testing::RowTexts(m_store));
    const PlaybackTimeline timeline(played);
    auto capture = std::make_unique<TrafficCapture>();
    timeline.CaptureAt(played.RowCount() - 1, *capture);
    ASSERT_EQ(capture->m_trafficCount, m_app->m_capture.m_trafficCount);
    for (int i = 0; i < capture->m_trafficCount; ++i) {
        ASSERT_EQ(capture->m_traffic[i].value, m_app->m_capture.m_traffic[i].value) << i;
        ASSERT_EQ(capture->m_traffic[i].direction, m_app->m_capture.m_traffic[i].direction) << i;
    }
}

}  // namespace
}  // namespace kestrel
