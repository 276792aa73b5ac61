#include <unistd.h>

#include "port/IOComm.h"

namespace kestrel {

IOComm::IOComm(Clock& clock, PortEnvironment environment)
    : m_clock(clock), m_environment(std::move(environment)) {}

IOComm::~IOComm() {
    if (m_handle >= 0) {
        close(static_cast<int>(m_handle));
    }
    if (m_socket >= 0) {
        close(m_socket);
    }
}

}  // namespace kestrel
