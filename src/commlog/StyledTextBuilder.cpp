#include "commlog/StyledTextBuilder.h"

#include <algorithm>

#include "commlog/RtfReader.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

constexpr std::string_view kTabSpaces = "        ";
static_assert(kTabSpaces.size() == kRtfTabWidth);

}  // namespace

StyledTextBuilder::StyledTextBuilder(StyledText& out) : m_out(out) {
    m_out.Clear();
}

void StyledTextBuilder::OpenRunIfStyleChanged() {
    if (!m_out.runs.empty()) {
        StyleRun& last = m_out.runs.back();
        if (last.colour == m_colour && last.bold == m_bold) {
            return;
        }
        if (last.start == m_out.text.size()) {  // nothing was written in the old style
            last.colour = m_colour;
            last.bold = m_bold;
            return;
        }
    }
    m_out.runs.push_back(StyleRun{static_cast<uint32_t>(m_out.text.size()), m_colour, m_bold});
}

void StyledTextBuilder::AppendPlain(std::string_view text) {
    if (text.empty()) {
        return;
    }
    OpenRunIfStyleChanged();
    m_out.text.append(text);
}

void StyledTextBuilder::AppendChar(uint8_t c) {
    if (c == '\n') {
        NewLine();
    } else if (c == '\t') {
        Tab();
    } else if (c >= kFirstPrintable) {
        const char character = static_cast<char>(c);
        AppendPlain(std::string_view(&character, 1));
    }
}

void StyledTextBuilder::NoteLineLength() {
    m_out.longestLine =
        std::max<size_t>(m_out.longestLine, m_out.text.size() - m_out.lineStarts.back());
}

void StyledTextBuilder::NewLine() {
    NoteLineLength();
    m_out.text.push_back('\n');
    m_out.lineStarts.push_back(static_cast<uint32_t>(m_out.text.size()));
}

void StyledTextBuilder::Tab() {
    const size_t column = m_out.text.size() - m_out.lineStarts.back();
    AppendPlain(kTabSpaces.substr(column % kRtfTabWidth));
}

void StyledTextBuilder::Finish() {
    NoteLineLength();
}

}  // namespace kestrel
