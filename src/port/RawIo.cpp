// One write or read attempt on the open port, by kind.

#include <algorithm>
#include <cerrno>

#include "port/IOComm.h"
#include "port/SystemCalls.h"
#include "port/TimedIo.h"

namespace kestrel {

namespace {

// A device that refuses a write is given this long, closed, given as long again, and reopened.
constexpr uint32_t kDeniedWriteWaitMs = 5000;
// A write the device cannot take at once may wait this long for it.
constexpr int kPendingWriteWaitMs = 3000;
// A read with nothing there yet looks again this many times, this far apart.
constexpr int kPendingReadPolls = 3;
constexpr int kPendingReadWaitMs = 35;

bool IsAccessDenied(int error) {
    return error == EACCES || error == EPERM;
}

}  // namespace

int IOComm::WriteRaw(const uint8_t* bytes, int count, uint32_t* written) {
    *written = 0;
    if (m_kind != KindTcp && m_handle < 0) {
        errno = EBADF;  // closed, or a reopen that failed
        return 0;
    }
    switch (m_kind) {
        case KindTcp:
            return WriteTcp(bytes, count, written);
        case KindDevice:
        case KindUsbPrinter:
            return WriteDevice(bytes, count, written);
        default:
            return WriteWithTimeouts(Sys(), static_cast<int>(m_handle), bytes, count, m_timeouts,
                                     written);
    }
}

int IOComm::ReadRaw(uint8_t* buffer, int size, uint32_t* count) {
    *count = 0;
    m_lastCount = 0;
    if (size <= 0) {
        return 0;
    }
    if (m_kind != KindTcp && m_handle < 0) {
        errno = EBADF;
        return 0;
    }
    int result = 0;
    switch (m_kind) {
        case KindTcp:
            result = ReadTcp(buffer, size, count);
            break;
        case KindDevice:
        case KindUsbPrinter:
            result = ReadDevice(buffer, size, count);
            break;
        default:
            result = ReadWithTimeouts(Sys(), static_cast<int>(m_handle), buffer, size, m_timeouts,
                                      count);
            break;
    }
    *count = std::min(*count, static_cast<uint32_t>(size));
    m_lastCount = *count;
    return result;
}

int IOComm::WriteDevice(const uint8_t* bytes, int count, uint32_t* written) {
    SystemCalls& sys = Sys();
    ssize_t n = sys.Write(static_cast<int>(m_handle), bytes, static_cast<size_t>(count));
    if (n < 0 && IsAccessDenied(errno)) {
        m_clock.Sleep(kDeniedWriteWaitMs);
        Close();
        m_clock.Sleep(kDeniedWriteWaitMs);
        Open();
        n = sys.Write(static_cast<int>(m_handle), bytes, static_cast<size_t>(count));
    }
    if (n < 0 && IsTransientError(errno)) {
        short revents = 0;
        const int ready = WaitForDescriptor(sys, static_cast<int>(m_handle), POLLOUT,
                                            kPendingWriteWaitMs, &revents);
        if (ready <= 0 || (revents & POLLOUT) == 0) {
            return 0;
        }
        n = sys.Write(static_cast<int>(m_handle), bytes, static_cast<size_t>(count));
    }
    if (n < 0) {
        return 0;
    }
    *written = static_cast<uint32_t>(n);
    return 1;
}

int IOComm::ReadDevice(uint8_t* buffer, int size, uint32_t* count) {
    SystemCalls& sys = Sys();
    const int fd = static_cast<int>(m_handle);
    ssize_t n = sys.Read(fd, buffer, static_cast<size_t>(size));
    if (n < 0 && IsTransientError(errno)) {
        m_readPending = 1;
        for (int poll = 0; poll < kPendingReadPolls && n < 0 && IsTransientError(errno); ++poll) {
            short revents = 0;
            const int ready = WaitForDescriptor(sys, fd, POLLIN, kPendingReadWaitMs, &revents);
            if (ready < 0) {
                break;
            }
            if (ready > 0) {
                n = sys.Read(fd, buffer, static_cast<size_t>(size));
            }
        }
        m_readPending = 0;
        if (n < 0 && IsTransientError(errno)) {
            // Nothing arrived in time: no data, which is not a failure of the device, so an
            // idle device is not closed and reopened by the read-failure logic of Input.
            return 1;
        }
    }
    if (n < 0) {
        return 0;
    }
    *count = static_cast<uint32_t>(n);
    return 1;
}

}  // namespace kestrel
