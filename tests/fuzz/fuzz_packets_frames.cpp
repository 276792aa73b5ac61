// Arbitrary traffic through the recording point in every printer mode: every byte lands in one
// row, every row is described and its recording line reads back as the same frame, and playback
// rebuilds a capture from it. The input read as a recording line never crashes the reader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "packets/FrameFacts.h"
#include "packets/PacketStore.h"
#include "packets/PlaybackTimeline.h"
#include "packets/RecordingFormat.h"
#include "packets/SessionFrames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrel;
    ParsedFrame parsed;
    ParseRecordingLine(std::string_view(reinterpret_cast<const char*>(data), size), parsed);
    if (size < 2) {
        return 0;
    }
    uint64_t now = 0;
    SessionFrames frames([&now] { return now; });
    PacketStore store;
    frames.AddSink(store);
    // First byte: the printer mode; then bursts, each led by a byte giving its length, direction
    // and the time before it.
    const int mode = data[0] % 5;
    size_t at = 1;
    while (at < size) {
        const uint8_t lead = data[at++];
        const size_t length = std::min<size_t>(lead & 0x1F, size - at);
        const int direction = (lead & 0x20) != 0 ? TrafficSent : TrafficReceived;
        now += (lead >> 6) * 15'000;
        const TrafficFraming framing =
            direction == TrafficSent && mode == 3 ? TrafficFraming::Ventrix : TrafficFraming::None;
        frames.OnTraffic(data + at, static_cast<int>(length), direction, mode, framing);
        at += length;
    }
    frames.Finish();
    uint64_t bytes = 0;
    std::string line;
    for (size_t row = 0; row < store.RowCount(); ++row) {
        const FrameView frame = store.View(row);
        bytes += frame.bytes.size();
        line.clear();
        AppendRecordingLine(frame, line);
        line.pop_back();  // the line feed
        if (ParseRecordingLine(line, parsed) != RecordingLine::Frame ||
            parsed.bytes.size() != frame.bytes.size() ||
            !std::equal(parsed.bytes.begin(), parsed.bytes.end(), frame.bytes.begin()) ||
            parsed.frame.sessionByte != frame.sessionByte) {
            std::abort();
        }
    }
    if (bytes != frames.SessionBytes()) {
        std::abort();
    }
    // A frame still open at the end (a partial record) is listed after frames that began after
    // it, so the capture holds every byte at the row that ends last, not at the last row.
    size_t lastToEnd = store.RowCount();
    for (size_t row = 0; row < store.RowCount(); ++row) {
        if (store.Row(row).size > 0 &&
            (lastToEnd == store.RowCount() ||
             store.LastSessionByte(row) > store.LastSessionByte(lastToEnd))) {
            lastToEnd = row;
        }
    }
    if (lastToEnd < store.RowCount()) {
        const PlaybackTimeline timeline(store);
        auto capture = std::make_unique<TrafficCapture>();
        timeline.CaptureAt(lastToEnd, *capture);
        if (static_cast<uint64_t>(capture->m_trafficCount) != bytes % kTrafficResetCount) {
            std::abort();
        }
    }
    return 0;
}
