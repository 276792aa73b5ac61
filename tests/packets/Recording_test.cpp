// The session recording on disk: written as the session goes and played back byte for byte,
// the capture rebuilt as it stood; bad files, folders that cannot be written and the size limit.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "packets/PacketTestSupport.h"
#include "packets/PlaybackTimeline.h"
#include "packets/RecordingFolder.h"
#include "packets/RecordingReader.h"
#include "packets/RecordingWriter.h"
#include "status/PrinterMode.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::ManualClock;
using testing::ScratchFolder;
using testing::StatusPacket;

constexpr int kVentrix = static_cast<int>(PrinterMode::Ventrix);

std::unique_ptr<RecordingWriter> WriterIn(const std::string& folder, uint64_t limit = 0) {
    return std::make_unique<RecordingWriter>(
        RecordingSettings{true, folder, limit}, [] { return std::string("/dev/ttyUSB0"); },
        [](const char* format) { return std::string(format[1] == 'Y' ? "20250501-140322" : "x"); });
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool SameRecords(const TrafficCapture& a, const TrafficCapture& b) {
    if (a.m_trafficCount != b.m_trafficCount) {
        return false;
    }
    for (int i = 0; i < a.m_trafficCount; ++i) {
        if (a.m_traffic[i].value != b.m_traffic[i].value ||
            a.m_traffic[i].direction != b.m_traffic[i].direction) {
            return false;
        }
    }
    return true;
}

// A session of polls and status replies long enough to empty the capture twice, each reply in
// two reads with a poll between them; the capture as it stood after some replies is kept.
TEST(RecordingPlayback, WrittenAndPlayedBackByteForByteWithTheCaptureAsItStood) {
    ScratchFolder folder;
    ManualClock clock;
    SessionFrames frames(clock.Function());
    PacketStore live;
    auto writer = WriterIn(folder.Path());
    frames.AddSink(live);
    frames.AddSink(*writer);
    auto capture = std::make_unique<TrafficCapture>();
    std::vector<std::pair<uint64_t, std::unique_ptr<TrafficCapture>>> kept;
    const auto record = [&](const std::vector<uint8_t>& bytes, int direction, TrafficFraming how) {
        for (const uint8_t byte : bytes) {
            capture->Record(byte, static_cast<uint32_t>(clock.now / 1000), direction);
        }
        frames.OnTraffic(bytes.data(), static_cast<int>(bytes.size()), direction, kVentrix, how);
        clock.now += 700;
    };
    const std::vector<uint8_t> poll = {0x02, 0x00};
    for (int i = 0; i < 2000; ++i) {
        const std::vector<uint8_t> reply = StatusPacket({i % 2 == 0 ? 1089 : 1074});
        const std::vector<uint8_t> head(reply.begin(), reply.begin() + 5);
        const std::vector<uint8_t> tail(reply.begin() + 5, reply.end());
        record(poll, TrafficSent, TrafficFraming::Ventrix);
        record(head, TrafficReceived, TrafficFraming::None);
        record(poll, TrafficSent, TrafficFraming::Ventrix);
        record(tail, TrafficReceived, TrafficFraming::None);
        if (i % 650 == 3) {
            kept.emplace_back(frames.SessionBytes(), std::make_unique<TrafficCapture>(*capture));
        }
    }
    ASSERT_GT(frames.SessionBytes(), 2u * kTrafficResetCount);
    const std::string path = writer->Path();
    writer.reset();  // the session ends: written out and closed

    PacketStore played;
    const RecordingContents contents = ReadRecording(path, played);
    ASSERT_TRUE(contents.read) << contents.error;
    EXPECT_TRUE(contents.Notices().empty());
    EXPECT_EQ(contents.port, "/dev/ttyUSB0");
    ASSERT_EQ(played.RowCount(), live.RowCount());
    for (size_t row = 0; row < live.RowCount(); ++row) {
        const auto a = live.Bytes(row);
        const auto b = played.Bytes(row);
        ASSERT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << "row " << row;
        ASSERT_EQ(live.Row(row).sessionByte, played.Row(row).sessionByte);
        ASSERT_EQ(live.Row(row).direction, played.Row(row).direction);
        ASSERT_EQ(live.LastSessionByte(row), played.LastSessionByte(row));
    }
    const PlaybackTimeline timeline(played);
    auto rebuilt = std::make_unique<TrafficCapture>();
    for (const auto& [sessionBytes, stood] : kept) {
        size_t row = 0;
        while (row < played.RowCount() && played.LastSessionByte(row) + 1 != sessionBytes) {
            ++row;
        }
        ASSERT_LT(row, played.RowCount());
        timeline.CaptureAt(row, *rebuilt);
        EXPECT_TRUE(SameRecords(*rebuilt, *stood)) << "after session byte " << sessionBytes;
    }
    timeline.CaptureAt(played.RowCount() - 1, *rebuilt);
    EXPECT_TRUE(SameRecords(*rebuilt, *capture));
}

struct BadFile {
    const char* name;
    std::string text;
    bool read;
    const char* error;
    size_t rows;
    size_t damaged;
    bool cutShort;
};

const std::string kHeader = "# Kestrel session recording 1\n# started x\n# port COM1\n";
const std::string kLine = "10,sent,Ventrix,Ventrix,02 00,\"Ventrix len 2: Null packet\",0,\n";

class BadRecordingTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadRecordingTest, GivesADefinedResult) {
    ScratchFolder folder;
    const std::string path = folder.File("r.csv");
    WriteText(path, GetParam().text);
    PacketStore store;
    const RecordingContents contents = ReadRecording(path, store);
    EXPECT_EQ(contents.read, GetParam().read);
    EXPECT_NE(contents.error.find(GetParam().error), std::string::npos) << contents.error;
    EXPECT_EQ(store.RowCount(), GetParam().rows);
    EXPECT_EQ(contents.damagedLines, GetParam().damaged);
    EXPECT_EQ(contents.lastLineCutShort, GetParam().cutShort);
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadRecordingTest,
    ::testing::Values(BadFile{"Empty", "", false, "not a Kestrel session recording", 0, 0, false},
                      BadFile{"NotARecording", "PK\x03\x04 binary\n" + kLine, false,
                              "not a Kestrel", 0, 0, false},
                      BadFile{"TruncatedMidLine", kHeader + kLine + kLine + kLine.substr(0, 20),
                              true, "", 2, 0, true},
                      BadFile{"DamagedLines",
                              kHeader + kLine + "10,sent,Ventrix,Ventrix,0G 00,\"\",0,\n" +
                                  "10,,Ventrix,Ventrix,02 00,\"\",0,\n" + "x,y\n" + kLine +
                                  "10,sent,Ventrix,Mode,02,\"\",0,\n" +
                                  "10,sent,Ventrix,Bytes,41,\"\"x,0,\n",
                              true, "", 2, 5, false},
                      BadFile{"LineTooLong",
                              kHeader + std::string(kRecordingLineMost + 10, 'A') + "\n" + kLine,
                              true, "", 1, 1, false}),
    [](const ::testing::TestParamInfo<BadFile>& param) { return std::string(param.param.name); });

TEST(BadRecording, AFolderIsRefusedAndAHugeOneIsReadUpToItsLimit) {
    ScratchFolder folder;
    PacketStore store;
    EXPECT_NE(ReadRecording(folder.Path(), store).error.find("not a regular file"),
              std::string::npos);
    std::string text = kHeader;
    for (int i = 0; i < 10; ++i) {
        text += kLine;
    }
    WriteText(folder.File("big.csv"), text);
    const RecordingContents contents = ReadRecording(folder.File("big.csv"), store, 4);
    EXPECT_TRUE(contents.read);
    EXPECT_TRUE(contents.stoppedAtLimit);
    EXPECT_EQ(store.RowCount(), 4u);
}

TEST(RecordingWriterFailure, StillBeingWrittenIsSaidAndAnUnwritableFolderStopsRecordingOnce) {
    ScratchFolder folder;
    ManualClock clock;
    SessionFrames frames(clock.Function());
    auto writer = WriterIn(folder.Path());
    frames.AddSink(*writer);
    const uint8_t poll[] = {0x02, 0x00};
    frames.OnTraffic(poll, 2, TrafficSent, kVentrix, TrafficFraming::Ventrix);
    writer->Flush();
    PacketStore store;
    const RecordingContents contents = ReadRecording(writer->Path(), store);
    EXPECT_TRUE(contents.stillBeingWritten);
    EXPECT_EQ(store.RowCount(), 2u);  // the mode and the poll
    EXPECT_TRUE(writer->TakeStopNotice().empty());

    // A folder that cannot be made, as a full or read-only one cannot be written: recording stops,
    // the session does not.
    WriteText(folder.File("plain"), "");
    auto unwritable = WriterIn(folder.File("plain") + "/recordings");
    SessionFrames session(clock.Function());
    session.AddSink(*unwritable);
    session.OnTraffic(poll, 2, TrafficSent, kVentrix, TrafficFraming::Ventrix);
    session.OnTraffic(poll, 2, TrafficSent, kVentrix, TrafficFraming::Ventrix);
    EXPECT_FALSE(unwritable->Flush());
    const std::string notice = unwritable->TakeStopNotice();
    EXPECT_NE(notice.find("cannot be made"), std::string::npos) << notice;
    EXPECT_TRUE(unwritable->TakeStopNotice().empty()) << "said once";
    EXPECT_EQ(session.SessionBytes(), 4u);
}

TEST(RecordingFolderLimit, TheOldestGoPastTheLimitButNotOneStillBeingWritten) {
    ScratchFolder folder;
    const std::string megabyte(kBytesPerMb, 'x');
    for (const char* name :
         {"20240101-000000-COM1.csv", "20240102-000000-COM1.csv", "20240103-000000-COM1.csv"}) {
        WriteText(folder.File(name), megabyte);
    }
    const int held = open(folder.File("20240101-000000-COM1.csv").c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    // Room for two of them and this session's first lines.
    auto writer = WriterIn(folder.Path(), 2 * kBytesPerMb + 4096);
    PacketStore ignored;
    ManualClock clock;
    SessionFrames frames(clock.Function());
    frames.AddSink(*writer);
    const uint8_t poll[] = {0x02, 0x00};
    frames.OnTraffic(poll, 2, TrafficSent, kVentrix, TrafficFraming::Ventrix);
    EXPECT_TRUE(writer->Flush());
    close(held);
    std::vector<std::string> names;
    for (const RecordingFile& file : ListRecordings(folder.Path())) {
        names.push_back(std::filesystem::path(file.path).filename().string());
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"20240101-000000-COM1.csv", "20240103-000000-COM1.csv",
                                        "20250501-140322-_dev_ttyUSB0.csv"}));
}

}  // namespace
}  // namespace kestrel
