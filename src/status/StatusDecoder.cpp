#include "status/StatusDecoder.h"

#include <algorithm>
#include <cstring>

#include "status/PrinterMode.h"
#include "status/SmartRecordDecoder.h"
#include "status/VentrixStatusDecoder.h"

namespace kestrel {

void StatusDecoder::Clear() {
    std::memset(m_statusBuffer, 0, sizeof m_statusBuffer);
    m_statusFill = 0;
    m_statusPos = 0;
}

void StatusDecoder::DecodeStatus(int printerMode, DialogHost& host, StatusLog& log) {
    // The indexes are open to the console; never let a bad pair send a read outside the buffer.
    // The position may stand one past the fill: a skipped code whose data byte is still to come.
    m_statusFill = std::clamp(m_statusFill, 0, kStatusBufferSize);
    m_statusPos = std::clamp(m_statusPos, 0, m_statusFill + kSkippedDataBytePending);
    if (Available() <= 0) {
        return;
    }
    const uint8_t* bytes = m_statusBuffer + m_statusPos;
    int consumed = 0;
    switch (static_cast<PrinterMode>(printerMode)) {
        case PrinterMode::Smart:
            consumed = DecodeSmartRecord(bytes, Available(), host);
            break;
        case PrinterMode::Ventrix:
            consumed = DecodeVentrixStatus(bytes, Available(), host, log, m_printerInError);
            break;
        case PrinterMode::None:
        case PrinterMode::Normal:
        case PrinterMode::SerialPacket:
            break;
    }
    m_statusPos += consumed;
}

bool StatusDecoder::Decodes(int printerMode) {
    return printerMode == static_cast<int>(PrinterMode::Smart) ||
           printerMode == static_cast<int>(PrinterMode::Ventrix);
}

void StatusDecoder::Compact() {
    if (m_statusPos <= kStatusCompactThreshold) {
        return;
    }
    m_statusFill = std::clamp(m_statusFill, 0, kStatusBufferSize);
    const int kept = std::max(m_statusFill - m_statusPos, 0);
    if (kept > 0) {
        std::memmove(m_statusBuffer, m_statusBuffer + m_statusPos, static_cast<size_t>(kept));
    }
    m_statusFill = kept;
    m_statusPos = 0;
}

}  // namespace kestrel
