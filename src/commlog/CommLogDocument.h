// The fixed parts of the communication log's RTF document, shared by the renderer that writes it
// and the reader that recognises it.
#pragma once

#include <string_view>

namespace kestrel {

inline constexpr std::string_view kCommLogHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0\\froman\\fprq2"
    "\\fcharset0 Courier New;}}{\\colortbl ;\\red255\\green0\\blue0;\\red51\\green153\\blue102;"
    "\\red0\\green0\\blue255;\\red255\\green255\\blue0;\\red255\\green153\\blue0;}{\\*\\generator "
    "Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\cf1\\f0\\fs16 ";
inline constexpr std::string_view kCommLogRowEnd = " \\par ";
inline constexpr std::string_view kCommLogBlockEnd = " \\par  \\par ";
inline constexpr std::string_view kCommLogTrailer = " \\par }";

}  // namespace kestrel
