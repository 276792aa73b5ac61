// Code page 1252, the 8-bit character set of the log documents: the pane keeps its text in it
// (one byte per column) and maps to Unicode only to draw or copy.
#pragma once

#include <cstdint>

namespace kestrel {

// The Unicode character of a code page 1252 byte; the five unassigned bytes map to themselves.
char16_t Cp1252ToUnicode(uint8_t byte);

// The code page 1252 byte of a Unicode character, or -1 when the code page has none.
int UnicodeToCp1252(uint32_t codePoint);

}  // namespace kestrel
