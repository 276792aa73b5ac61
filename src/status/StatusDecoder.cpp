#include "status/StatusDecoder.h"

#include <cstring>

namespace kestrel {

// Placeholder until the decoder lands: keeps the buffer bounded and decodes nothing.
void StatusDecoder::Clear() {
    std::memset(m_statusBuffer, 0, sizeof m_statusBuffer);
    m_statusFill = 0;
    m_statusPos = 0;
}

void StatusDecoder::DecodeStatus(int, DialogHost&, StatusLog&) {}

void StatusDecoder::Compact() {}

}  // namespace kestrel
