#include "console/CommandHistory.h"

#include <algorithm>
#include <cstring>

namespace kestrel {

void CommandHistory::Load(const unsigned char* bytes, size_t size) {
    Clear();
    std::memcpy(m_entries.front().data(), bytes, std::min(size, kHistoryBytes));
}

std::string CommandHistory::Entry(size_t index) const {
    const auto& entry = m_entries[index];
    const auto* text = reinterpret_cast<const char*>(entry.data());
    return std::string(text, strnlen(text, kHistoryTextMax));
}

std::vector<std::string> CommandHistory::Texts() const {
    std::vector<std::string> texts;
    for (size_t index = 0; index < kHistoryEntries; ++index) {
        if (!IsFree(index)) {
            texts.push_back(Entry(index));
        }
    }
    return texts;
}

bool CommandHistory::Add(const std::string& text) {
    const std::string kept = text.substr(0, std::min(text.size(), kHistoryTextMax));
    for (size_t index = 0; index < kHistoryEntries; ++index) {
        if (Entry(index) == kept) {
            return false;
        }
    }
    size_t slot = kHistoryEntries;
    for (size_t index = kHistoryEntries - 1; index >= 1; --index) {
        if (IsFree(index)) {
            slot = index;
            break;
        }
    }
    if (slot == kHistoryEntries) {
        std::memmove(m_entries[1].data(), m_entries[0].data(),
                     (kHistoryEntries - 1) * kHistoryEntrySize);
        slot = 0;
    }
    m_entries[slot].fill(0);
    std::memcpy(m_entries[slot].data(), kept.data(), kept.size());
    return true;
}

}  // namespace kestrel
