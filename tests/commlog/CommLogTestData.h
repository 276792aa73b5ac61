// Captures and document pieces shared by the communication log tests.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commlog/RtfReader.h"
#include "commlog/StyledText.h"
#include "commlog/TrafficCapture.h"

namespace kestrel::testing {

// The document's fixed opening, written out by hand rather than taken from the renderer.
inline constexpr std::string_view kExpectedHeader =
    R"({\rtf1\ansi\ansicpg1252\deff0\deflang1033\deflangfe1033{\fonttbl{\f0\froman\fprq2)"
    R"(\fcharset0 Courier New;}}{\colortbl ;\red255\green0\blue0;\red51\green153\blue102;)"
    R"(\red0\green0\blue255;\red255\green255\blue0;\red255\green153\blue0;}{\*\generator )"
    R"(Msftedit 5.41.15.1507;}\viewkind4\uc1\pard\cf1\f0\fs16 )";
inline constexpr std::string_view kExpectedEmptyBlock = R"( \par  \par  \par  \par )";
inline constexpr std::string_view kExpectedTrailer = R"( \par })";

// The capture is large; tests keep it on the heap.
inline std::unique_ptr<TrafficCapture> MakeCapture() {
    return std::make_unique<TrafficCapture>();
}

// The visible lines of an RTF document, as the pane reads them.
inline std::vector<std::string> VisibleLines(std::string_view rtf) {
    StyledText text;
    std::string error;
    std::vector<std::string> lines;
    if (!ReadRtf(rtf, text, &error)) {
        lines.push_back("not RTF: " + error);
        return lines;
    }
    for (size_t line = 0; line < text.LineCount(); ++line) {
        lines.emplace_back(text.Line(line));
    }
    return lines;
}

inline size_t CountOf(std::string_view text, std::string_view part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

}  // namespace kestrel::testing
