#include "commlog/RtfPlainText.h"

#include "platform/AsciiText.h"

namespace kestrel {
namespace {

constexpr std::string_view kPlainHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}"
    "\\pard\\f0\\fs16 ";
constexpr std::string_view kPlainTrailer = "}";
constexpr unsigned char kFirstHighByte = 0x80;

}  // namespace

std::string PlainTextToRtf(std::string_view text) {
    std::string rtf(kPlainHeader);
    rtf.reserve(kPlainHeader.size() + text.size() + kPlainTrailer.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            rtf += "\\par\n";
        } else if (c == '\\' || c == '{' || c == '}') {
            rtf += '\\';
            rtf += c;
        } else if (byte >= kFirstHighByte) {
            rtf += "\\'";
            rtf += kLowerHexDigits[byte >> 4];
            rtf += kLowerHexDigits[byte & 0xF];
        } else {
            rtf += c;
        }
    }
    rtf += kPlainTrailer;
    return rtf;
}

}  // namespace kestrel
