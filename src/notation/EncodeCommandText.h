// The bracket notation of printer commands: printable characters stand for themselves, "[ESC]"
// names a control byte, "<0x81>" gives any byte as a number, a grave accent starts a comment
// that runs to the line feed, and CR and LF in the text are dropped.
#pragma once

#include <string>

namespace kestrel {

// Converts the zero-terminated text in place into the bytes it stands for, stores a 0 byte after
// them and returns their count. The bytes may hold 0x00, so callers use the count. The count never
// exceeds the text's length, so any modifiable text of any length is safe.
//
// A token is the text after "<" or "[" up to the closing bracket, searched for only among the
// next ten characters; without one there, the token is the rest of the text and the conversion
// ends after it. Every token gives exactly one byte; a name token that names no table entry
// (e.g. "NUL", "DLE", "") gives 0x00.
int EncodeCommandText(char* text);

// The bytes a text stands for (converted up to its first NUL).
std::string EncodeCommandBytes(std::string text);

}  // namespace kestrel
