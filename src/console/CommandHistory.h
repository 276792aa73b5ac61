// A history of typed texts (the command and poll combo boxes): 30 entries of 256 bytes, stored
// byte for byte in the settings. New texts fill the entries from 29 downwards; entry 0 is taken
// only once 1 to 29 are in use, by moving the others down one place.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace kestrel {

inline constexpr size_t kHistoryEntries = 30;
inline constexpr size_t kHistoryEntrySize = 256;
inline constexpr size_t kHistoryBytes = kHistoryEntries * kHistoryEntrySize;  // 7680
// The longest text an entry takes (a 255-byte read buffer with its terminator).
inline constexpr size_t kHistoryTextMax = 254;

class CommandHistory {
  public:
    CommandHistory() { Clear(); }
    void Clear() { m_entries.fill({}); }

    // Takes a stored image; a shorter one fills the first entries, a longer one is cut.
    void Load(const unsigned char* bytes, size_t size);
    const unsigned char* Bytes() const { return m_entries.front().data(); }

    // The entry's text: up to its first NUL, at most kHistoryTextMax characters, so a stored
    // entry without a terminator is never read past.
    std::string Entry(size_t index) const;
    bool IsFree(size_t index) const { return m_entries[index][0] == 0; }
    // The non-free entries in entry order.
    std::vector<std::string> Texts() const;

    // Adds `text` (cut to kHistoryTextMax) unless it equals an entry; false when it did.
    bool Add(const std::string& text);

  private:
    std::array<std::array<unsigned char, kHistoryEntrySize>, kHistoryEntries> m_entries;
};

}  // namespace kestrel
