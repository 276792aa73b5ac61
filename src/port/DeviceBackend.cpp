#include "port/DeviceBackend.h"

#include <cerrno>

#include "port/IOComm.h"
#include "port/OpenFailureText.h"
#include "port/SystemCalls.h"
#include "port/TimedIo.h"

namespace kestrel {

namespace {

constexpr int kPendingNotReady = -2;
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

int DeviceBackend::WriteRaw(const uint8_t* bytes, int count, uint32_t* written) {
    SystemCalls& sys = m_port.Sys();
    ssize_t n = sys.Write(static_cast<int>(m_port.m_handle), bytes, static_cast<size_t>(count));
    if (n < 0 && IsAccessDenied(errno)) {
        m_port.m_clock.Sleep(kDeniedWriteWaitMs);
        m_port.Close();
        m_port.m_clock.Sleep(kDeniedWriteWaitMs);
        m_port.Open();
        if (!m_port.IsOpen()) {
            errno = EBADF;
            return 0;  // the reopen failed: the port is closed
        }
        n = sys.Write(static_cast<int>(m_port.m_handle), bytes, static_cast<size_t>(count));
    }
    if (n < 0 && IsTransientError(errno)) {
        short revents = 0;
        const int ready = WaitForDescriptor(sys, static_cast<int>(m_port.m_handle), POLLOUT,
                                            kPendingWriteWaitMs, &revents);
        if (ready <= 0 || (revents & POLLOUT) == 0) {
            return 0;
        }
        n = sys.Write(static_cast<int>(m_port.m_handle), bytes, static_cast<size_t>(count));
    }
    if (n < 0) {
        return 0;
    }
    *written = static_cast<uint32_t>(n);
    return 1;
}

int DeviceBackend::ReadRaw(uint8_t* buffer, int size, uint32_t* count) {
    SystemCalls& sys = m_port.Sys();
    const int fd = static_cast<int>(m_port.m_handle);
    ssize_t n = sys.Read(fd, buffer, static_cast<size_t>(size));
    if (n < 0 && IsTransientError(errno)) {
        m_port.m_readPending = 1;
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
        m_port.m_readPending = 0;
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

int DeviceBackend::ReadAvailable(uint8_t* buffer, int /*wanted*/, int capacity, uint32_t* count) {
    return ReadRaw(buffer, capacity, count);  // one read takes whatever the device has
}

int DeviceBackend::IsReady() {
    if (m_usbPrinter) {
        return 1;
    }
    // Writable is ready; a hang-up or error is the device's empty status answer.
    pollfd entry{static_cast<int>(m_port.m_handle), POLLOUT, 0};
    const timespec now{};
    const int result = m_port.Sys().Poll(&entry, 1, &now);
    if (result < 0 || (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        m_port.Close();
        m_port.MarkConnectionLost(kOutputFailedText, EIO);
        return 0;
    }
    return (entry.revents & POLLOUT) != 0 ? 1 : 0;
}

int DeviceBackend::QueuedOutput() {
    return 0;  // a write is complete when it returns
}

int DeviceBackend::InputPending(int /*queued*/) {
    return IsReady() ? 0 : kPendingNotReady;
}

}  // namespace kestrel
