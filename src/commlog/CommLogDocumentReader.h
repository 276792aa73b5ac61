// Reads the communication log documents that the renderer writes, by their few fixed forms,
// several times faster than the general RTF reader; anything else is left to that reader.
#pragma once

#include <string_view>

#include "commlog/StyledText.h"

namespace kestrel {

// Reads `rtf` when it is a whole document in the renderer's form. `header` is the content of
// the document's fixed header followed by one character, as the general reader reads it (its
// colour table and the style it leaves). False when `rtf` takes any other form; `out` is then
// left part-written for the general reader to replace.
bool ReadCommLogDocument(std::string_view rtf, const StyledText& header, StyledText& out);

}  // namespace kestrel
