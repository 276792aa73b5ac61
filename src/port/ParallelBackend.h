// A parallel port: /dev/lpN, written and read with the port's time-outs; ready unless the
// printer reports paper out, off-line or an error.
#pragma once

#include "port/PortBackend.h"

namespace kestrel {

class ParallelBackend : public PortBackend {
  public:
    explicit ParallelBackend(IOComm& port) : m_port(port) {}
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
