// A TCP/IP port: the connected socket, with waits of the socket form of the time-outs.
#pragma once

#include "port/PortBackend.h"

namespace kestrel {

class TcpBackend : public PortBackend {
  public:
    explicit TcpBackend(IOComm& port) : m_port(port) {}
    int WriteRaw(const uint8_t* bytes, int count, uint32_t* written) override;
    int ReadRaw(uint8_t* buffer, int size, uint32_t* count) override;
    int ReadAvailable(uint8_t* buffer, int wanted, int capacity, uint32_t* count) override;
    int IsReady() override;
    int QueuedOutput() override;
    int InputPending(int queued) override;

  private:
    IOComm& m_port;
};

}  // namespace kestrel
