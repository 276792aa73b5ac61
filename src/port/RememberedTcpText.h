// The "TCP" settings value: the TCP/IP addresses connected to before, as one text of
// address:port entries each written with a space in front, in a fixed 1000-byte value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

inline constexpr size_t kRememberedTcpSize = 1000;
// Entries are offered in a 50-byte piece; longer ones are taken as damage and skipped.
inline constexpr size_t kRememberedTcpPieceMax = 49;
inline constexpr const char* kRememberedTcpValue = "TCP";

// The entries of a stored value, in stored order. The text ends at the first zero byte (or the
// end of `size` bytes when there is none); entries are separated by runs of spaces. Entries
// longer than kRememberedTcpPieceMax or holding bytes that are not printable ASCII are damage:
// they are left out.
std::vector<std::string> RememberedTcpEntries(const uint8_t* data, size_t size);

enum class RememberResult {
    AlreadyKnown,  // the address is one of the entries: nothing is to be written
    Appended,      // " " and the address were added
    NoRoom,        // it does not fit; the value is to be written back unchanged
};

// Adds " " + `address` to the text in `value` unless the address is already one of its
// entries. The text keeps a terminating zero inside the value, so nothing goes past
// kRememberedTcpSize bytes.
RememberResult AddRememberedTcpAddress(uint8_t (&value)[kRememberedTcpSize],
                                       std::string_view address);

}  // namespace kestrel
