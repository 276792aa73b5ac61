#include "packets/FrameSplitter.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "status/SerialPacket.h"
#include "status/SmartRecordTable.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

enum class Found { Frame, Wait, Noise };

struct FindResult {
    Found what = Found::Noise;
    size_t length = 0;  // of the frame, or of the noise before the next place a frame may start
};

// Bytes up to the next `start` after the first, or all of them.
size_t UpTo(const uint8_t* bytes, size_t size, uint8_t start) {
    const void* next = size > 1 ? std::memchr(bytes + 1, start, size - 1) : nullptr;
    return next != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(next) - bytes) : size;
}

FindResult FromScan(const PacketScan& scan, const uint8_t* bytes, size_t size, uint8_t start) {
    switch (scan.status) {
        case PacketScanStatus::NotStart:
            return {Found::Noise, UpTo(bytes, size, start)};
        case PacketScanStatus::NeedMore:
            return {Found::Wait, 0};
        case PacketScanStatus::NullPacket:
        case PacketScanStatus::Complete:
        case PacketScanStatus::Malformed:
            break;
    }
    return {Found::Frame, static_cast<size_t>(scan.length)};
}

FindResult Find(FrameKind framing, const uint8_t* bytes, size_t size) {
    const int available = static_cast<int>(std::min<size_t>(size, INT_MAX));
    switch (framing) {
        case FrameKind::Ventrix:
            return FromScan(ScanVentrixPacket(bytes, available), bytes, size, kVentrixStartByte);
        case FrameKind::SerialPacket:
            return FromScan(ScanSerialPacket(bytes, available), bytes, size, kSerialStartByte);
        case FrameKind::Smart: {
            if ((bytes[0] & kSmartCodeBit) == 0) {
                const auto* next = std::find_if(bytes, bytes + size,
                                                [](uint8_t b) { return (b & kSmartCodeBit) != 0; });
                return {Found::Noise, static_cast<size_t>(next - bytes)};
            }
            const auto length = static_cast<size_t>(SmartRecordFor(bytes[0]).length);
            return size >= length ? FindResult{Found::Frame, length} : FindResult{Found::Wait, 0};
        }
        case FrameKind::Bytes:
        case FrameKind::Mode:
            break;
    }
    return {Found::Noise, size};
}

template <typename T>
void DropFront(std::vector<T>& values, size_t count) {
    values.erase(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace

void FrameSplitter::Feed(const uint8_t* bytes, size_t count, int direction, FrameKind framing,
                         uint64_t timeUs, uint64_t sessionByte) {
    if (count == 0) {
        return;
    }
    // What has waited long enough ends first, whenever the ticks came.
    FlushIdle(timeUs);
    const int other = direction == TrafficSent ? TrafficReceived : TrafficSent;
    Pending& theirs = Of(other);
    if (!theirs.bytes.empty() && theirs.rawRun == theirs.bytes.size()) {
        EmitRawRun(theirs, other);
    }
    Pending& pending = Of(direction);
    if (!pending.bytes.empty() && pending.framing != framing) {
        EmitEverything(pending, direction);
    }
    pending.framing = framing;
    pending.bytes.insert(pending.bytes.end(), bytes, bytes + count);
    pending.times.insert(pending.times.end(), count, timeUs);
    for (size_t i = 0; i < count; ++i) {
        pending.sessionBytes.push_back(sessionByte + i);
    }
    Split(pending, direction);
}

void FrameSplitter::Split(Pending& pending, int direction) {
    for (;;) {
        const size_t at = pending.rawRun;
        if (at >= pending.bytes.size()) {
            return;
        }
        const FindResult found =
            Find(pending.framing, pending.bytes.data() + at, pending.bytes.size() - at);
        if (found.what == Found::Noise) {
            pending.rawRun += found.length;
            while (pending.rawRun >= kFrameRunMaxBytes) {
                Emit(pending, direction, kFrameRunMaxBytes, FrameKind::Bytes);
            }
            continue;
        }
        // A frame begins here: the run before it is over.
        EmitRawRun(pending, direction);
        if (found.what == Found::Wait) {
            return;
        }
        Emit(pending, direction, found.length, pending.framing);
    }
}

void FrameSplitter::Emit(Pending& pending, int direction, size_t count, FrameKind kind) {
    count = std::min(count, pending.bytes.size());
    if (count == 0) {
        return;
    }
    m_arrivals.clear();
    uint64_t segmentTime = pending.times[0];
    for (size_t i = 1; i < count; ++i) {
        const bool afterOther = pending.sessionBytes[i] != pending.sessionBytes[i - 1] + 1;
        if (afterOther || pending.times[i] - segmentTime >= kFrameArrivalJoinUs) {
            segmentTime = pending.times[i];
            m_arrivals.push_back(
                ByteArrival{static_cast<uint32_t>(i), pending.times[i], pending.sessionBytes[i]});
        }
    }
    FrameView frame;
    frame.timeUs = pending.times[0];
    frame.sessionByte = pending.sessionBytes[0];
    frame.direction = direction;
    frame.kind = kind;
    frame.bytes = std::span<const uint8_t>(pending.bytes.data(), count);
    frame.arrivals = m_arrivals;
    m_sink.OnFrame(frame);
    DropFront(pending.bytes, count);
    DropFront(pending.times, count);
    DropFront(pending.sessionBytes, count);
    pending.rawRun = pending.rawRun > count ? pending.rawRun - count : 0;
}

void FrameSplitter::EmitRawRun(Pending& pending, int direction) {
    if (pending.rawRun > 0) {
        Emit(pending, direction, pending.rawRun, FrameKind::Bytes);
    }
}

void FrameSplitter::EmitEverything(Pending& pending, int direction) {
    while (!pending.bytes.empty()) {
        Emit(pending, direction, kFrameRunMaxBytes, FrameKind::Bytes);
    }
    pending.rawRun = 0;
}

void FrameSplitter::FlushIdle(uint64_t nowUs) {
    for (const int direction : {TrafficSent, TrafficReceived}) {
        Pending& pending = Of(direction);
        if (pending.bytes.empty()) {
            continue;
        }
        const uint64_t quiet = nowUs > pending.times.back() ? nowUs - pending.times.back() : 0;
        if (pending.rawRun == pending.bytes.size() && quiet >= kFrameRunIdleUs) {
            EmitRawRun(pending, direction);
        } else if (quiet >= kFrameIncompleteIdleUs) {
            EmitEverything(pending, direction);
        }
    }
}

void FrameSplitter::FlushAll() {
    for (const int direction : {TrafficSent, TrafficReceived}) {
        EmitEverything(Of(direction), direction);
    }
}

}  // namespace kestrel
