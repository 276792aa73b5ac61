// The --record file: every chunk of bytes received and sent, one line each, as
// "<seconds> <rx|tx> <hex bytes>", and '#' lines for connections. Lines are flushed as written,
// so a test can read the file while the simulator runs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

enum class RecordDirection { Received, Sent };

class Recorder {
  public:
    Recorder() = default;
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Creates (or empties) the file. Returns false with a message when it cannot.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return m_file != nullptr; }

    // `now` is milliseconds since the simulator started.
    void Record(RecordDirection direction, std::span<const uint8_t> bytes, uint64_t now);
    void Note(std::string_view text, uint64_t now);

  private:
    void WriteLine(const std::string& line);

    std::FILE* m_file = nullptr;
};

// "12.345": milliseconds as seconds with three decimals.
std::string FormatSeconds(uint64_t milliseconds);

}  // namespace kestrel
