// The modem lines of a serial port: what the printer signals (CTS, DSR, DCD, RI) and the two
// lines the console drives (DTR, RTS). Each call is one ioctl, made only on an open serial port.
#include <sys/ioctl.h>

#include <cerrno>

#include "port/IOComm.h"
#include "port/SystemCalls.h"

namespace kestrel {

namespace {

bool HasModemLines(const IOComm& port) {
    return port.m_kind == KindSerial && port.IsOpen() && !port.ConnectionLost();
}

}  // namespace

int IOComm::GetModemLines(int* lines) {
    if (!HasModemLines(*this)) {
        errno = ENOTTY;
        return 0;
    }
    return Sys().Ioctl(static_cast<int>(m_handle), TIOCMGET, lines) == 0 ? 1 : 0;
}

int IOComm::SetModemLine(int line, bool raised) {
    if (!HasModemLines(*this)) {
        errno = ENOTTY;
        return 0;
    }
    int bits = line;
    return Sys().Ioctl(static_cast<int>(m_handle), raised ? TIOCMBIS : TIOCMBIC, &bits) == 0 ? 1
                                                                                             : 0;
}

}  // namespace kestrel
