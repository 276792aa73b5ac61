#include "port/TimedIo.h"

#include <cerrno>
#include <chrono>
#include <climits>

#include "port/SystemCalls.h"

namespace kestrel {

namespace {

// Rounds in a row in which the descriptor said "ready" and then gave nothing; after these the
// call ends instead of spinning.
constexpr int kMaxIdleRounds = 64;
// A device that never blocks in poll but refuses the write for now is asked again this often.
constexpr int kBusyPaceMs = 10;

using MonotonicClock = std::chrono::steady_clock;

// Deadline arithmetic in whole milliseconds; the limit is a 64-bit product of two 32-bit values.
class Deadline {
  public:
    explicit Deadline(uint64_t milliseconds)
        : m_limited(milliseconds > 0),
          m_end(MonotonicClock::now() +
                std::chrono::milliseconds(static_cast<int64_t>(
                    std::min<uint64_t>(milliseconds, static_cast<uint64_t>(INT_MAX))))) {}

    bool Limited() const { return m_limited; }

    // Milliseconds left, rounded up, never negative; -1 when there is no limit.
    int Remaining() const {
        if (!m_limited) {
            return -1;
        }
        const auto left = m_end - MonotonicClock::now();
        if (left <= MonotonicClock::duration::zero()) {
            return 0;
        }
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return static_cast<int>(std::min<int64_t>(ms, INT_MAX));
    }

  private:
    bool m_limited;
    MonotonicClock::time_point m_end;
};

// A hang-up or error without data to read is the end of the device.
bool IsBroken(short revents, short wanted) {
    return (revents & POLLNVAL) != 0 ||
           ((revents & wanted) == 0 && (revents & (POLLERR | POLLHUP)) != 0);
}

int MinWait(int a, int b) {
    if (a < 0) {
        return b;
    }
    if (b < 0) {
        return a;
    }
    return a < b ? a : b;
}

}  // namespace

int WaitForDescriptor(SystemCalls& sys, int fd, short events, int milliseconds, short* revents) {
    const Deadline deadline(milliseconds < 0 ? 0 : static_cast<uint64_t>(milliseconds));
    int wait = milliseconds;
    for (;;) {
        pollfd entry{fd, events, 0};
        const timespec limit = MillisecondsToTimespec(wait < 0 ? 0 : wait);
        const int result = sys.Poll(&entry, 1, wait < 0 ? nullptr : &limit);
        if (result < 0 && errno == EINTR) {
            wait = milliseconds < 0 ? -1 : deadline.Remaining();
            continue;
        }
        *revents = result > 0 ? entry.revents : 0;
        return result;
    }
}

int ReadWithTimeouts(SystemCalls& sys, int fd, uint8_t* buffer, int size,
                     const COMMTIMEOUTS& timeouts, uint32_t* count, int capacity) {
    *count = 0;
    if (size <= 0) {
        return 1;
    }
    const int room = capacity > size ? capacity : size;
    const bool immediate = timeouts.ReadIntervalTimeout == kTimeoutMaxValue &&
                           timeouts.ReadTotalTimeoutMultiplier == 0 &&
                           timeouts.ReadTotalTimeoutConstant == 0;
    const bool useInterval =
        timeouts.ReadIntervalTimeout > 0 && timeouts.ReadIntervalTimeout != kTimeoutMaxValue;
    const Deadline deadline(uint64_t{timeouts.ReadTotalTimeoutMultiplier} *
                                static_cast<uint64_t>(size) +
                            timeouts.ReadTotalTimeoutConstant);
    const int interval = static_cast<int>(
        std::min<uint32_t>(timeouts.ReadIntervalTimeout, static_cast<uint32_t>(INT_MAX)));
    int got = 0;
    int idle = 0;
    // A failure after some bytes arrived delivers those bytes; the next read meets it again.
    const auto finish = [&](bool failed) {
        *count = static_cast<uint32_t>(got);
        return failed && got == 0 ? 0 : 1;
    };
    // Bytes already waiting are taken without a wait: one system call per read in the usual
    // case of the status read loop.
    while (got < size) {
        const ssize_t n = sys.Read(fd, buffer + got, static_cast<size_t>(room - got));
        if (n > 0) {
            got += static_cast<int>(n);
            idle = 0;
            continue;
        }
        if (n < 0 && !IsTransientError(errno)) {
            return finish(true);
        }
        if (n == 0) {
            // End of file: on a hung-up line that is a failure, otherwise just no more data.
            short revents = 0;
            if (WaitForDescriptor(sys, fd, POLLIN, 0, &revents) > 0 && (revents & POLLHUP) != 0) {
                errno = EIO;
                return finish(true);
            }
            break;
        }
        if (immediate || ++idle >= kMaxIdleRounds) {
            break;
        }
        int wait = deadline.Remaining();
        if (got > 0 && useInterval) {
            wait = MinWait(wait, interval);
        }
        short revents = 0;
        const int ready = WaitForDescriptor(sys, fd, POLLIN, wait, &revents);
        if (ready == 0) {
            break;  // a limit ran out
        }
        if (ready < 0) {
            return finish(true);
        }
        if (IsBroken(revents, POLLIN)) {
            errno = EIO;
            return finish(true);
        }
    }
    return finish(false);
}

int WriteWithTimeouts(SystemCalls& sys, int fd, const uint8_t* bytes, int size,
                      const COMMTIMEOUTS& timeouts, uint32_t* count) {
    *count = 0;
    const Deadline deadline(uint64_t{timeouts.WriteTotalTimeoutMultiplier} *
                                static_cast<uint64_t>(size > 0 ? size : 0) +
                            timeouts.WriteTotalTimeoutConstant);
    int written = 0;
    int idle = 0;
    while (written < size) {
        const ssize_t n = sys.Write(fd, bytes + written, static_cast<size_t>(size - written));
        if (n > 0) {
            written += static_cast<int>(n);
            idle = 0;
            continue;
        }
        if (n < 0 && !IsTransientError(errno)) {
            *count = static_cast<uint32_t>(written);
            return written > 0 ? 1 : 0;
        }
        if (n == 0 || ++idle >= kMaxIdleRounds) {
            break;  // the device takes nothing: the caller counts the attempt as failed
        }
        const int wait = deadline.Remaining();
        if (deadline.Limited() && wait == 0) {
            break;
        }
        short revents = 0;
        const int ready = WaitForDescriptor(sys, fd, POLLOUT, wait, &revents);
        if (ready == 0) {
            break;  // the limit ran out
        }
        if (ready < 0 || IsBroken(revents, POLLOUT)) {
            if (ready > 0) {
                errno = EIO;
            }
            *count = static_cast<uint32_t>(written);
            return written > 0 ? 1 : 0;
        }
        if (idle > 1) {
            // Ready in poll yet refused again: pace the retries instead of spinning.
            const timespec pace = MillisecondsToTimespec(MinWait(wait, kBusyPaceMs));
            sys.Poll(nullptr, 0, &pace);
        }
    }
    *count = static_cast<uint32_t>(written);
    return 1;
}

}  // namespace kestrel
