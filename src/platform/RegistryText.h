// The registry export text (REGEDIT4) of the one settings key: reading it into typed values and
// writing them back. Kept apart from the file handling so the reader can be fuzzed on its own.
//
// Written forms:
//   "Name"=dword:0000000a          a DWORD
//   "Name"=hex:01,02,...           a binary, wrapped with "\" continuations
//   "Name"="text"                  a string of printable bytes with exactly one terminating zero
//                                  (\\ and \" escaped)
//   "Name"=hex(1):41,00,...        any other string (no terminator, embedded zeros, control
//                                  bytes), byte for byte, so every string round-trips exactly
// The reader also takes hex(3): as binary and a 4-byte hex(4): as a DWORD. A line it cannot
// read (odd hex digits, a DWORD out of range, an unknown type, garbage, an over-long line) is
// skipped; only values under the key line of this key are taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SettingsKey.h"

namespace kestrel {

inline constexpr std::string_view kRegistryHeader = "REGEDIT4";
inline constexpr std::string_view kSettingsKeyLine =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\IOCommKestrel]";
// Longest physical line the reader accepts; a longer one is damage. The writer wraps binary
// values well below it.
inline constexpr size_t kRegistryMaxLineLength = 4096;
// Largest value the reader accepts (the biggest real value, the command history, is 7,680).
inline constexpr size_t kRegistryMaxValueSize = 1 << 20;

struct SettingsValue {
    std::string name;
    SettingsValueType type = SettingsValueType::Binary;
    std::vector<uint8_t> data;
};

// The values of the settings key found in `text`; later duplicates of a name (compared
// without case) replace the data of the first and keep its spelling.
std::vector<SettingsValue> ParseRegistryText(std::string_view text);

// The whole file for `values`, with the header and the key line.
std::string FormatRegistryText(const std::vector<SettingsValue>& values);

// True when `name` can be written as a value name (no zero or control bytes).
bool IsWritableValueName(std::string_view name);

// Case-insensitive comparison of value names (ASCII letters only, as the registry does for
// the names this system uses).
bool SameValueName(std::string_view a, std::string_view b);

}  // namespace kestrel
