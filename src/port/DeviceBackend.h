// A device opened by name, or a USB printer-class node: a non-blocking descriptor whose writes
// may wait for the device and whose reads look a few times for data.
#pragma once

#include "port/PortBackend.h"

namespace kestrel {

class DeviceBackend : public PortBackend {
  public:
    // `usbPrinter`: the node of a USB printer, which is always ready.
    DeviceBackend(IOComm& port, bool usbPrinter) : m_port(port), m_usbPrinter(usbPrinter) {}
    int WriteRaw(const uint8_t* bytes, int count, uint32_t* written) override;
    int ReadRaw(uint8_t* buffer, int size, uint32_t* count) override;
    int ReadAvailable(uint8_t* buffer, int wanted, int capacity, uint32_t* count) override;
    int IsReady() override;
    int QueuedOutput() override;
    int InputPending(int queued) override;

  private:
    IOComm& m_port;
    bool m_usbPrinter;
};

}  // namespace kestrel
