#include "port/ParallelBackend.h"

#include <linux/lp.h>
#include <sys/ioctl.h>

#include "port/IOComm.h"
#include "port/SystemCalls.h"
#include "port/TimedIo.h"

namespace kestrel {

namespace {

// Paper out, off-line (not selected) or an error (the error line is active low).
bool ParallelStatusReady(int status) {
    return (status & LP_POUTPA) == 0 && (status & LP_PSELECD) != 0 && (status & LP_PERRORP) != 0;
}

}  // namespace

int ParallelBackend::WriteRaw(const uint8_t* bytes, int count, uint32_t* written) {
    return WriteWithTimeouts(m_port.Sys(), static_cast<int>(m_port.m_handle), bytes, count,
                             m_port.m_timeouts, written);
}

int ParallelBackend::ReadRaw(uint8_t* buffer, int size, uint32_t* count) {
    return ReadWithTimeouts(m_port.Sys(), static_cast<int>(m_port.m_handle), buffer, size,
                            m_port.m_timeouts, count);
}

int ParallelBackend::ReadAvailable(uint8_t* buffer, int wanted, int capacity, uint32_t* count) {
    return ReadWithTimeouts(m_port.Sys(), static_cast<int>(m_port.m_handle), buffer, wanted,
                            m_port.m_timeouts, count, capacity);
}

int ParallelBackend::IsReady() {
    int status = 0;
    return m_port.Sys().Ioctl(static_cast<int>(m_port.m_handle), LPGETSTATUS, &status) == 0 &&
                   ParallelStatusReady(status)
               ? 1
               : 0;
}

int ParallelBackend::QueuedOutput() {
    return 0;  // a parallel write is complete when it returns
}

int ParallelBackend::InputPending(int /*queued*/) {
    return 0;
}

}  // namespace kestrel
