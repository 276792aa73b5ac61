// One wire to the console (a TCP connection or the pseudo-terminal's master): non-blocking
// reads, and writes that queue what the descriptor cannot take at once, up to a limit.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

inline constexpr size_t kMaxQueuedOutput = 64 * 1024;

enum class WireRead { Data, NothingYet, Closed };

class Wire {
  public:
    // Told of every chunk once it has actually been written.
    using WrittenHandler = std::function<void(std::span<const uint8_t>)>;

    // A socket is written with send(), so a closed peer gives an error, not SIGPIPE; the wire
    // owns and closes it. A pseudo-terminal's master belongs to its PtyLink.
    enum class Kind { Socket, PtyMaster };

    Wire(int fd, Kind kind, std::string name, WrittenHandler onWritten);
    ~Wire();
    Wire(const Wire&) = delete;
    Wire& operator=(const Wire&) = delete;

    // Queues the bytes and writes what the descriptor takes now. A reply that would overflow
    // the queue is dropped whole (the console is not reading). False when the wire broke.
    bool Send(std::span<const uint8_t> bytes);
    // Writes queued bytes; call when the descriptor is writable. False when the wire broke.
    bool Flush();
    bool WantsWrite() const { return !m_queue.empty(); }
    // Reads into `buffer`; `count` gets the bytes read when the result is Data.
    WireRead Read(uint8_t* buffer, size_t size, size_t& count);

    int Fd() const { return m_fd; }
    const std::string& Name() const { return m_name; }
    uint64_t DroppedBytes() const { return m_dropped; }

  private:
    int m_fd;
    Kind m_kind;
    std::string m_name;
    WrittenHandler m_onWritten;
    std::vector<uint8_t> m_queue;
    uint64_t m_dropped = 0;
};

}  // namespace kestrel
