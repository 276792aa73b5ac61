// Reads RTF into the pane's compact content: our own log documents exactly, RTF from other
// writers best effort (groups, skipped destinations, the colour table, colour, bold, paragraph
// and line breaks, tabs, hexadecimal and Unicode escapes). Iterative: deep nesting costs heap,
// never stack.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "commlog/StyledText.h"

namespace kestrel {

inline constexpr std::string_view kRtfSignature = "{\\rtf";
// Larger documents are refused: the pane keeps them whole, and offsets are 32-bit.
inline constexpr size_t kMaxRtfDocumentSize = size_t{64} << 20;
// Groups nested deeper than this still read, but take the style of the group at this depth.
inline constexpr size_t kMaxRtfGroupDepth = 250000;
inline constexpr size_t kRtfTabWidth = 8;

bool IsRtf(std::string_view data);

// The communication log header followed by one character, as the general reader reads it: the
// colour table and the style the header leaves in force.
const StyledText& CommLogHeaderContent();

// Replaces `out` with the content of `rtf`. False, with `error` set, when `rtf` is not an RTF
// document or is too large; a damaged or truncated document reads as far as it goes.
bool ReadRtf(std::string_view rtf, StyledText& out, std::string* error);

// Replaces `out` with unstyled text in which line feeds break lines.
void ReadPlainText(std::string_view text, StyledText& out);

}  // namespace kestrel
