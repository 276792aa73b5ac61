// The console's status receive buffer and its decoder: Smart coded status records and Ventrix
// status packets, turned into the console's check boxes, texts and progress bar, with the
// printer-in-error flag and the application-log entries of errors.
#pragma once

#include <cstdint>
#include <string>

#include "platform/DialogHost.h"

namespace kestrel {

inline constexpr int kStatusBufferSize = 1000;
// Decoded bytes are dropped from the front once the position passes this.
inline constexpr int kStatusCompactThreshold = 500;
// How far the position may run past the fill: a skipped Smart code is passed with its data
// byte before that byte has arrived.
inline constexpr int kSkippedDataBytePending = 1;

// Where the decoder writes its application-log entries, and the log pane text that follows
// each of them.
class StatusLog {
  public:
    virtual ~StatusLog() = default;
    virtual void WriteAppLog(const std::string& text) = 0;
    virtual std::string CommLogText() = 0;
};

class StatusDecoder {
  public:
    // Zeroes the buffer and both indexes.
    void Clear();
    // One decoding pass: at most one record, one packet or one resynchronisation, for the
    // decoding of `printerMode` (Smart or Ventrix; other modes decode nothing).
    // Keeps 0 <= m_statusPos <= m_statusFill + kSkippedDataBytePending and
    // m_statusFill <= kStatusBufferSize.
    void DecodeStatus(int printerMode, DialogHost& host, StatusLog& log);
    // Past kStatusCompactThreshold, moves the undecoded bytes to the front (a position past the
    // fill leaves none).
    void Compact();
    // Negative while a skipped code's data byte is still to come.
    int Available() const { return m_statusFill - m_statusPos; }
    // Smart and Ventrix decode what arrives; in the other modes nothing is ever taken out.
    static bool Decodes(int printerMode);

    uint8_t m_statusBuffer[kStatusBufferSize]{};
    int m_statusFill = 0;
    int m_statusPos = 0;
    int m_printerInError = 0;
};

}  // namespace kestrel
