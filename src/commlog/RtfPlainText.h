// Plain text as an RTF document, for a pane whose content did not come as RTF.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// `text` (code page 1252, line feeds between lines) as a document in the log's font that any
// RTF reader, ours included, reads back as the same text.
std::string PlainTextToRtf(std::string_view text);

}  // namespace kestrel
