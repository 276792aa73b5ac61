#include "sim/Recorder.h"

#include <cerrno>
#include <cstring>

#include "sim/HexText.h"

namespace kestrel {
namespace {

constexpr uint64_t kMillisecondsPerSecond = 1000;

}  // namespace

std::string FormatSeconds(uint64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%03llu",
                  static_cast<unsigned long long>(milliseconds / kMillisecondsPerSecond),
                  static_cast<unsigned long long>(milliseconds % kMillisecondsPerSecond));
    return text;
}

Recorder::~Recorder() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool Recorder::Open(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        error = "cannot write the record file '" + path + "': " + std::strerror(errno);
        return false;
    }
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
    m_file = file;
    return true;
}

void Recorder::Record(RecordDirection direction, std::span<const uint8_t> bytes, uint64_t now) {
    if (m_file == nullptr || bytes.empty()) {
        return;
    }
    WriteLine(FormatSeconds(now) + (direction == RecordDirection::Received ? " rx " : " tx ") +
              FormatHexBytes(bytes));
}

void Recorder::Note(std::string_view text, uint64_t now) {
    if (m_file == nullptr) {
        return;
    }
    WriteLine("# " + FormatSeconds(now) + " " + std::string(text));
}

void Recorder::WriteLine(const std::string& line) {
    std::fputs(line.c_str(), m_file);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}

}  // namespace kestrel
