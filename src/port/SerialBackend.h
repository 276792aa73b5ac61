// A serial port: a tty read and written with the time-outs of a serial port; readiness by its
// handshake.
#pragma once

#include "port/PortBackend.h"

namespace kestrel {

class SerialBackend : public PortBackend {
  public:
    explicit SerialBackend(IOComm& port) : m_port(port) {}
    int WriteRaw(const uint8_t* bytes, int count, uint32_t* written) override;
    int ReadRaw(uint8_t* buffer, int size, uint32_t* count) override;
    int ReadAvailable(uint8_t* buffer, int wanted, int capacity, uint32_t* count) override;
    int IsReady() override;
    int QueuedOutput() override;
    int InputPending(int queued) override;

  private:
    // DSR, with the reopen back-off after repeated failures of the modem-line query.
    int ModemStatusReady();

    IOComm& m_port;
};

}  // namespace kestrel
