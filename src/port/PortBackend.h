// One kind of port behind one interface: the single write and read attempts, readiness and the
// output queue, which differ by kind. IOComm keeps what every kind shares: locking, retries,
// reopening and time-outs.
#pragma once

#include <cstdint>
#include <memory>

namespace kestrel {

class IOComm;

class PortBackend {
  public:
    virtual ~PortBackend() = default;
    // One write attempt; the bytes written through `written`. 0 on failure (errno set).
    virtual int WriteRaw(const uint8_t* bytes, int count, uint32_t* written) = 0;
    // One read attempt; the bytes read through `count`. 0 on failure (errno set).
    virtual int ReadRaw(uint8_t* buffer, int size, uint32_t* count) = 0;
    // As ReadRaw for `wanted` bytes, but each system read may take up to `capacity` bytes of
    // what is waiting. Kinds that cannot read ahead read just what is wanted.
    virtual int ReadAvailable(uint8_t* buffer, int wanted, int capacity, uint32_t* count) {
        (void)capacity;
        return ReadRaw(buffer, wanted, count);
    }
    // 1 ready, 0 not ready.
    virtual int IsReady() = 0;
    // Bytes still queued to be sent; -1 (errno set) when the queue cannot be read. Kinds whose
    // writes are complete when they return have no queue: 0.
    virtual int QueuedOutput() = 0;
    // The kind's answer to InputPending, given what QueuedOutput just said: the bytes still to
    // be sent, or a status code of the kind.
    virtual int InputPending(int queued) = 0;
};

// The backend of a port kind (PortKind), working on `port`.
std::unique_ptr<PortBackend> MakePortBackend(int kind, IOComm& port);

}  // namespace kestrel
