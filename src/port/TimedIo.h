// Reads and writes on a non-blocking descriptor with the time-out rules of a serial port
// (COMMTIMEOUTS), waiting in poll so every limit holds to the millisecond.
#pragma once

#include <cstdint>

#include "platform/CommTypes.h"

namespace kestrel {

class SystemCalls;

// All ones in ReadIntervalTimeout (with both total values 0): return at once with what is there.
inline constexpr uint32_t kTimeoutMaxValue = 0xFFFFFFFF;

// Reads up to `size` bytes. Total limit: ReadTotalTimeoutMultiplier × size +
// ReadTotalTimeoutConstant (0: none); after the first byte no gap between bytes may exceed
// ReadIntervalTimeout (0: none). A limit that runs out is a success with the bytes read so far.
// Returns 0 (errno set) when the descriptor fails before anything arrived. With `capacity`
// above `size`, each system read may take up to `capacity` bytes of what is already waiting.
int ReadWithTimeouts(SystemCalls& sys, int fd, uint8_t* buffer, int size,
                     const COMMTIMEOUTS& timeouts, uint32_t* count, int capacity = 0);

// Writes `size` bytes within WriteTotalTimeoutMultiplier × size + WriteTotalTimeoutConstant
// (0: no limit). A limit that runs out is a success with the bytes written so far; a failure
// after some bytes went out reports those bytes, and the next write meets the failure.
int WriteWithTimeouts(SystemCalls& sys, int fd, const uint8_t* bytes, int size,
                      const COMMTIMEOUTS& timeouts, uint32_t* count);

// Waits for `events` on `fd` up to `milliseconds` (negative: no limit), retrying when a signal
// interrupts. Returns the poll result; `revents` receives the events seen.
int WaitForDescriptor(SystemCalls& sys, int fd, short events, int milliseconds, short* revents);

}  // namespace kestrel
