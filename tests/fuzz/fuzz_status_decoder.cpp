// Received bytes in chunks of any size, as the read tick hands them to the decoder: the first
// input byte picks Smart or Ventrix decoding; then each chunk is a length byte and that many
// bytes, appended up to the free room, followed by one pass and the compaction. An empty chunk
// is a silent tick that empties the buffer. The indexes stay in order after every pass, the
// decoder reads nothing beyond the bytes received, and a pass with a whole record's worth of
// bytes waiting always moves on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "status/PrinterMode.h"
#include "status/SmartRecordTable.h"
#include "status/StatusDecoder.h"
#include "status/VentrixPacket.h"
#include "support/FakeDialogHost.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define KESTREL_POISON(begin, size) ASAN_POISON_MEMORY_REGION(begin, size)
#define KESTREL_UNPOISON(begin, size) ASAN_UNPOISON_MEMORY_REGION(begin, size)
#endif
#endif
#ifndef KESTREL_POISON
#define KESTREL_POISON(begin, size) ((void)(begin), (void)(size))
#define KESTREL_UNPOISON(begin, size) ((void)(begin), (void)(size))
#endif

namespace {

using kestrel::PrinterMode;
using kestrel::StatusDecoder;

class SilentLog : public kestrel::StatusLog {
  public:
    void WriteAppLog(const std::string& text) override { m_bytesLogged += text.size(); }
    std::string CommLogText() override { return "pane"; }
    size_t m_bytesLogged = 0;
};

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

void CheckIndexes(const StatusDecoder& decoder) {
    Check(0 <= decoder.m_statusPos &&
          decoder.m_statusPos <= decoder.m_statusFill + kestrel::kSkippedDataBytePending &&
          decoder.m_statusFill <= kestrel::kStatusBufferSize);
    Check(decoder.m_printerInError == 0 || decoder.m_printerInError == 1);
}

// Whether the bytes waiting are enough that a pass must consume some of them: a run before a
// code byte, a skipped code or a whole record in Smart mode; a null packet, or a length byte and as
// many bytes as it says, in Ventrix mode.
bool MustMove(const StatusDecoder& decoder, PrinterMode mode) {
    const int available = decoder.Available();
    if (available <= 0) {
        return false;
    }
    const uint8_t* bytes = decoder.m_statusBuffer + decoder.m_statusPos;
    if (mode == PrinterMode::Smart) {
        const kestrel::SmartRecord record = kestrel::SmartRecordFor(bytes[0]);
        return (bytes[0] & kestrel::kSmartCodeBit) == 0 ||
               record.action == kestrel::SmartRecordAction::Skip || available >= record.length;
    }
    if (bytes[0] != kestrel::kVentrixStartByte || available < 2) {
        return false;
    }
    return bytes[1] == kestrel::kVentrixNullType || (available >= 3 && bytes[2] <= available);
}

// One decoding pass with everything past the fill out of bounds.
void DecodeOnePass(StatusDecoder& decoder, PrinterMode mode, kestrel::DialogHost& host,
                   SilentLog& log) {
    const bool mustMove = MustMove(decoder, mode);
    const int posBefore = decoder.m_statusPos;
    uint8_t* unused = decoder.m_statusBuffer + decoder.m_statusFill;
    const size_t unusedSize =
        static_cast<size_t>(kestrel::kStatusBufferSize - decoder.m_statusFill);
    KESTREL_POISON(unused, unusedSize);
    decoder.DecodeStatus(static_cast<int>(mode), host, log);
    KESTREL_UNPOISON(unused, unusedSize);
    CheckIndexes(decoder);
    Check(!mustMove || decoder.m_statusPos > posBefore);
    decoder.Compact();
    CheckIndexes(decoder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const PrinterMode mode = (data[0] & 1) != 0 ? PrinterMode::Smart : PrinterMode::Ventrix;
    // On the heap, so the poisoned tail of the buffer ends on an aligned address.
    auto decoder = std::make_unique<StatusDecoder>();
    kestrel::testing::FakeDialogHost host;
    SilentLog log;
    size_t at = 1;
    while (at < size) {
        const size_t chunk = std::min<size_t>(data[at], size - at - 1);
        ++at;
        if (chunk == 0) {
            decoder->m_statusFill = 0;
            decoder->m_statusPos = 0;
            continue;
        }
        const size_t room = static_cast<size_t>(kestrel::kStatusBufferSize - decoder->m_statusFill);
        const size_t taken = std::min(chunk, room);
        std::memcpy(decoder->m_statusBuffer + decoder->m_statusFill, data + at, taken);
        decoder->m_statusFill += static_cast<int>(taken);
        at += chunk;
        if (decoder->Available() > 0) {
            DecodeOnePass(*decoder, mode, host, log);
        }
    }
    // The bytes left over get the passes later ticks would give them.
    for (int pass = 0; pass < kestrel::kStatusBufferSize && decoder->Available() > 0; ++pass) {
        DecodeOnePass(*decoder, mode, host, log);
    }
    return 0;
}
