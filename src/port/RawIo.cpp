// One write or read attempt on the open port: the checks every kind shares, then its backend.

#include <algorithm>
#include <cerrno>

#include "port/IOComm.h"
#include "port/PortBackend.h"

namespace kestrel {

int IOComm::WriteRaw(const uint8_t* bytes, int count, uint32_t* written) {
    *written = 0;
    if (m_kind != KindTcp && m_handle < 0) {
        errno = EBADF;  // closed, or a reopen that failed
        return 0;
    }
    return Backend().WriteRaw(bytes, count, written);
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
    const int result = Backend().ReadRaw(buffer, size, count);
    *count = std::min(*count, static_cast<uint32_t>(size));
    m_lastCount = *count;
    return result;
}

int IOComm::ReadAheadRaw(uint8_t* buffer, int wanted, int capacity, uint32_t* count) {
    *count = 0;
    if (m_kind != KindTcp && m_handle < 0) {
        errno = EBADF;
        return 0;
    }
    const int result = Backend().ReadAvailable(buffer, wanted, capacity, count);
    *count = std::min(*count, static_cast<uint32_t>(capacity));
    return result;
}

PortBackend& IOComm::Backend() {
    if (!m_backend || m_backendKind != m_kind) {
        m_backend = MakePortBackend(m_kind, *this);
        m_backendKind = m_kind;
    }
    return *m_backend;
}

}  // namespace kestrel
