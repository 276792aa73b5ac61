// The packet view and the session recording, measured:
//  1. their cost on a soak's traffic (a poll every 100 ms, its status reply, an unasked status
//     every 500 ms, the timer ticks), as CPU time of this thread per second of traffic, so as a
//     share of one core; the traffic is fed as fast as it goes, not waited for;
//  2. a recording of a million packets opened for playback (read, laid out, the packet view
//     shown) and scrolled to its end and back, wall time.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_packets [SOAK_SECONDS] [PACKETS]

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

#include "HarnessSupport.h"
#include "commlog/TrafficCapture.h"
#include "packets/PacketStore.h"
#include "packets/PlaybackTimeline.h"
#include "packets/RecordingReader.h"
#include "packets/RecordingWriter.h"
#include "packets/SessionFrames.h"
#include "status/PrinterMode.h"
#include "status/StatusBitTable.h"
#include "status/VentrixPacket.h"
#include "ui/PacketViewPanel.h"

namespace kestrel {
namespace {

constexpr int kVentrix = static_cast<int>(PrinterMode::Ventrix);
constexpr uint64_t kPollUs = 100'000;
constexpr uint64_t kUnaskedUs = 500'000;
constexpr uint64_t kTickUs = 500'000;
constexpr uint64_t kViewRefreshUs = 1'000'000;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::vector<uint8_t> StatusReply(int n) {
    std::vector<uint8_t> payload = {'V', '6', '0', '|', '1', '|', '2', '|'};
    for (int b = 0; b < kStatusByteCount * kStatusByteSpacing; ++b) {
        payload.push_back(static_cast<uint8_t>(b == 0 ? (n % 7 == 0 ? 0x20 : 0) : 0));
    }
    return BuildVentrixPacket(kStatusPacketType, payload);
}

// Feeds `seconds` of soak traffic through the recording point; returns the frames made.
size_t FeedSoak(uint64_t seconds, SessionFrames& frames, uint64_t& now, RecordingWriter& writer) {
    const std::vector<uint8_t> poll = BuildVentrixPacket(kStatusPacketType, {});
    TrafficCapture capture;
    size_t frameCount = 0;
    for (uint64_t t = 0; t < seconds * 1'000'000; t += kPollUs / 2) {
        now = t;
        if (t % kPollUs == 0) {
            frames.OnTraffic(poll.data(), static_cast<int>(poll.size()), TrafficSent, kVentrix,
                             TrafficFraming::Ventrix);
        } else {
            const std::vector<uint8_t> reply = StatusReply(static_cast<int>(t / kPollUs));
            frames.OnTraffic(reply.data(), static_cast<int>(reply.size()), TrafficReceived,
                             kVentrix, TrafficFraming::None);
        }
        frameCount += 1;
        if (t % kUnaskedUs == 0) {
            const std::vector<uint8_t> reply = StatusReply(3);
            frames.OnTraffic(reply.data(), static_cast<int>(reply.size()), TrafficReceived,
                             kVentrix, TrafficFraming::None);
            ++frameCount;
        }
        if (t % kTickUs == 0) {
            frames.Tick();
            writer.Flush();
        }
    }
    return frameCount;
}

std::unique_ptr<RecordingWriter> Writer(const std::filesystem::path& folder) {
    return std::make_unique<RecordingWriter>(
        RecordingSettings{true, folder.string(), uint64_t{4096} << 20}, [] { return "COM1"; },
        [](const char* format) {
            char text[64];
            const std::time_t now = std::time(nullptr);
            std::strftime(text, sizeof text, format, std::localtime(&now));
            return std::string(text);
        });
}

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
    using namespace kestrel;
    const uint64_t soakSeconds = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 3600;
    const uint64_t packets = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1'000'000;
    const std::filesystem::path folder = bench::EnterScratchFolder("kestrel-bench-packets");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);

    {
        uint64_t now = 0;
        SessionFrames frames([&now] { return now; });
        PacketStore store;
        auto writer = Writer(folder / "soak");
        frames.AddSink(store);
        frames.AddSink(*writer);
        const double cpu = ThreadCpuSeconds();
        const size_t frameCount = FeedSoak(soakSeconds, frames, now, *writer);
        const double used = ThreadCpuSeconds() - cpu;
        std::printf("soak_seconds_of_traffic %llu frames %zu\n",
                    static_cast<unsigned long long>(soakSeconds), frameCount);
        std::printf("packets_cpu_percent_of_one_core %.4f\n",
                    100.0 * used / static_cast<double>(soakSeconds));
    }
    {
        // The view shown while the rows come: a refresh every second, as the console's view
        // takes them, painted as the event loop paints it.
        uint64_t now = 0;
        SessionFrames frames([&now] { return now; });
        PacketStore store;
        frames.AddSink(store);
        PacketViewPanel panel(store, false);
        panel.resize(1000, 420);
        panel.show();
        QApplication::processEvents();
        const uint64_t seconds = std::min<uint64_t>(soakSeconds, 600);
        const std::vector<uint8_t> poll = BuildVentrixPacket(kStatusPacketType, {});
        const double cpu = ThreadCpuSeconds();
        for (uint64_t t = 0; t < seconds * 1'000'000; t += kPollUs / 2) {
            now = t;
            const std::vector<uint8_t> reply = StatusReply(static_cast<int>(t / kPollUs));
            const std::vector<uint8_t>& bytes = t % kPollUs == 0 ? poll : reply;
            frames.OnTraffic(bytes.data(), static_cast<int>(bytes.size()),
                             t % kPollUs == 0 ? TrafficSent : TrafficReceived, kVentrix,
                             t % kPollUs == 0 ? TrafficFraming::Ventrix : TrafficFraming::None);
            if (t % kViewRefreshUs == 0) {
                frames.Tick();
                panel.TakeNewRows();
                QApplication::processEvents();
            }
        }
        const double used = ThreadCpuSeconds() - cpu;
        std::printf("shown_view_cpu_percent_of_one_core %.4f over %llu s of traffic\n",
                    100.0 * used / static_cast<double>(seconds),
                    static_cast<unsigned long long>(seconds));
    }

    std::string path;
    {
        // The same traffic, long enough for `packets` frames, written untimed.
        uint64_t now = 0;
        SessionFrames frames([&now] { return now; });
        auto writer = Writer(folder / "big");
        frames.AddSink(*writer);
        FeedSoak(packets * kPollUs / 2 / 1'000'000 * 10 / 11 + 1, frames, now, *writer);
        writer->Flush();
        path = writer->Path();
    }
    const double start = WallSeconds();
    PacketStore store;
    const RecordingContents contents = ReadRecording(path, store);
    const double read = WallSeconds();
    const PlaybackTimeline timeline(store);
    const double laidOut = WallSeconds();
    PacketViewPanel panel(store, true);
    panel.resize(1000, 600);
    panel.show();
    QApplication::processEvents();
    QScrollBar* scroll = panel.Table().verticalScrollBar();
    for (int step = 0; step <= 20; ++step) {
        scroll->setValue(scroll->maximum() * step / 20);
        panel.Table().viewport()->repaint();
    }
    panel.ChooseStoreRow(store.RowCount() - 1);
    panel.Table().viewport()->repaint();
    scroll->setValue(0);
    panel.Table().viewport()->repaint();
    const double scrolled = WallSeconds();
    std::printf("recording_rows %zu bytes %llu read_ok %d\n", store.RowCount(),
                static_cast<unsigned long long>(std::filesystem::file_size(path)),
                contents.read ? 1 : 0);
    std::printf("open_seconds read %.3f layout %.3f shown_and_scrolled %.3f total %.3f\n",
                read - start, laidOut - read, scrolled - laidOut, scrolled - start);
    std::filesystem::remove_all(folder);
    return contents.read ? 0 : 1;
}
