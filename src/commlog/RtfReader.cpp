#include "commlog/RtfReader.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "commlog/CommLogDocument.h"
#include "commlog/CommLogDocumentReader.h"
#include "commlog/Cp1252.h"
#include "commlog/StyledTextBuilder.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

// Groups whose content is not text: tables, document information, pictures, fields'
// instructions, headers and footers and the like.
constexpr std::string_view kSkippedDestinations[] = {
    "annotation", "atnauthor",  "atndate",      "atnid",
    "atnparent",  "atnref",     "atntime",      "author",
    "bkmkend",    "bkmkstart",  "buptim",       "category",
    "comment",    "company",    "creatim",      "datafield",
    "datastore",  "defchp",     "defpap",       "do",
    "doccomm",    "docvar",     "falt",         "ffname",
    "filetbl",    "fldinst",    "fonttbl",      "footer",
    "footerf",    "footerl",    "footerr",      "footnote",
    "ftncn",      "ftnsep",     "ftnsepc",      "generator",
    "header",     "headerf",    "headerl",      "headerr",
    "info",       "keywords",   "latentstyles", "listoverridetable",
    "listtable",  "nonshppict", "objdata",      "operator",
    "pgdsctbl",   "pict",       "printim",      "private",
    "revtbl",     "revtim",     "rsidtbl",      "shpinst",
    "stylesheet", "subject",    "themedata",    "title",
    "xe",         "xmlnstbl",
};
static_assert(std::is_sorted(std::begin(kSkippedDestinations), std::end(kSkippedDestinations)));

// Control words that stand for one code page 1252 character.
struct CharacterWord {
    std::string_view word;
    uint8_t character;
};
constexpr std::array<CharacterWord, 10> kCharacterWords = {{
    {"bullet", 0x95},
    {"emdash", 0x97},
    {"emspace", ' '},
    {"endash", 0x96},
    {"enspace", ' '},
    {"ldblquote", 0x93},
    {"lquote", 0x91},
    {"qmspace", ' '},
    {"rdblquote", 0x94},
    {"rquote", 0x92},
}};

constexpr int32_t kParameterLimit = 100000000;  // larger parameters saturate here
constexpr int32_t kUnicodeWrap = 65536;         // \u takes negative values for the upper half
constexpr uint16_t kMaxColourIndex = UINT16_MAX;
constexpr size_t kMaxColours = kMaxColourIndex;
constexpr uint8_t kMaxUnicodeSkip = UINT8_MAX;
constexpr uint8_t kNonBreakingSpace = 0xA0;
constexpr uint8_t kUnmappedCharacter = '?';
constexpr int kHexDigitBits = 4;
constexpr int32_t kMaxColourComponent = 255;

enum class Destination : uint8_t { kText, kSkip, kColourTable };

struct GroupState {
    uint16_t colour = 0;
    uint8_t bold = 0;
    Destination destination = Destination::kText;
    uint8_t unicodeSkip = 1;
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
int HexValue(char c) {
    const std::optional<uint8_t> value = HexDigitValue(c);
    return value ? *value : -1;
}

// Characters that end a stretch of plain text.
constexpr std::array<bool, 256> MakeTextStops() {
    std::array<bool, 256> stops{};
    for (int c = 0; c < 0x20; ++c) {
        stops[c] = true;
    }
    stops['\\'] = stops['{'] = stops['}'] = true;
    return stops;
}
constexpr std::array<bool, 256> kTextStops = MakeTextStops();

class RtfParser {
  public:
    RtfParser(std::string_view in, StyledText& out) : m_in(in), m_out(out), m_builder(out) {}

    void Run() {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos];
            if (c == '{') {
                ++m_pos;
                OpenGroup();
            } else if (c == '}') {
                ++m_pos;
                if (!CloseGroup()) {
                    break;  // the document's own group has ended
                }
            } else if (c == '\\') {
                ++m_pos;
                Control();
            } else if (kTextStops[static_cast<uint8_t>(c)]) {
                ++m_pos;
                if (c == '\t') {
                    Character('\t');
                }  // raw line ends and other control characters are not content
            } else {
                const size_t begin = m_pos;
                while (m_pos < m_in.size() && !kTextStops[static_cast<uint8_t>(m_in[m_pos])]) {
                    ++m_pos;
                }
                Text(m_in.substr(begin, m_pos - begin));
            }
        }
        m_builder.Finish();
    }

  private:
    void OpenGroup() {
        if (m_stack.size() < kMaxRtfGroupDepth) {
            m_stack.push_back(m_state);
        } else {
            ++m_overflowDepth;
        }
        m_fallbackToSkip = 0;
    }

    bool CloseGroup() {
        m_fallbackToSkip = 0;
        if (m_overflowDepth > 0) {
            --m_overflowDepth;
            return true;
        }
        if (m_stack.empty()) {
            return false;
        }
        m_state = m_stack.back();
        m_stack.pop_back();
        m_builder.SetStyle(m_state.colour, m_state.bold);
        return !m_stack.empty();
    }

    void Text(std::string_view text) {
        if (m_state.destination == Destination::kColourTable) {
            for (const char c : text) {
                if (c == ';') {
                    FinishColour();
                }
            }
            return;
        }
        if (m_state.destination != Destination::kText) {
            return;
        }
        const size_t skipped = std::min(text.size(), m_fallbackToSkip);
        m_fallbackToSkip -= skipped;
        m_builder.AppendPlain(text.substr(skipped));
    }

    void Character(uint8_t c) {
        if (m_state.destination == Destination::kColourTable && c == ';') {
            FinishColour();
        }
        if (m_state.destination != Destination::kText) {
            return;
        }
        if (m_fallbackToSkip > 0) {
            --m_fallbackToSkip;
            return;
        }
        m_builder.AppendChar(c);
    }

    void FinishColour() {
        if (m_out.colours.size() < kMaxColours) {
            m_out.colours.push_back(m_colour);
        }
        m_colour = TextColour{};
    }

    void Control() {
        if (m_pos >= m_in.size()) {
            return;
        }
        const char c = m_in[m_pos];
        if (IsLetter(c)) {
            ControlWord();
            return;
        }
        ++m_pos;
        switch (c) {
            case '\\':
            case '{':
            case '}':
                Character(static_cast<uint8_t>(c));
                break;
            case '\'':
                HexCharacter();
                break;
            case '*':
                m_state.destination = Destination::kSkip;
                break;
            case '~':
                Character(kNonBreakingSpace);
                break;
            case '_':
                Character('-');
                break;
            case '\n':
            case '\r':
                Character('\n');
                break;
            default:
                break;  // optional hyphens, formula and index marks
        }
    }

    void HexCharacter() {
        const int high = m_pos < m_in.size() ? HexValue(m_in[m_pos]) : -1;
        const int low = m_pos + 1 < m_in.size() ? HexValue(m_in[m_pos + 1]) : -1;
        if (high < 0 || low < 0) {
            return;  // a damaged escape yields nothing
        }
        m_pos += 2;
        Character(static_cast<uint8_t>((high << kHexDigitBits) | low));
    }

    void ControlWord() {
        const size_t begin = m_pos;
        while (m_pos < m_in.size() && IsLetter(m_in[m_pos])) {
            ++m_pos;
        }
        const std::string_view word = m_in.substr(begin, m_pos - begin);
        bool negative = false;
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && IsDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        bool hasParameter = false;
        int32_t parameter = 0;
        while (m_pos < m_in.size() && IsDigit(m_in[m_pos])) {
            hasParameter = true;
            parameter = std::min(parameter * 10 + (m_in[m_pos] - '0'), kParameterLimit);
            ++m_pos;
        }
        if (negative) {
            parameter = -parameter;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ') {
            ++m_pos;  // the delimiter belongs to the control word
        }
        if (m_fallbackToSkip > 0 && word != "bin") {
            --m_fallbackToSkip;  // a control word counts as one fallback character
            return;
        }
        Apply(word, hasParameter, parameter);
    }

    void Apply(std::string_view word, bool hasParameter, int32_t parameter) {
        // The words of our own documents first, as they come by the hundred thousand.
        if (word == "cf") {
            SetColour(hasParameter ? parameter : 0);
        } else if (word == "b") {
            m_state.bold = !hasParameter || parameter != 0 ? 1 : 0;
            m_builder.SetStyle(m_state.colour, m_state.bold);
        } else if (word == "par" || word == "line" || word == "row" || word == "page" ||
                   word == "sect") {
            Character('\n');
        } else if (word == "tab" || word == "cell") {
            Character('\t');
        } else if (word == "plain") {
            m_state.bold = 0;
            SetColour(0);
        } else if (word == "u") {
            Unicode(parameter);
        } else if (word == "uc") {
            m_state.unicodeSkip =
                static_cast<uint8_t>(std::clamp<int32_t>(parameter, 0, kMaxUnicodeSkip));
        } else if (word == "bin") {
            const size_t length = static_cast<size_t>(std::max(parameter, 0));
            m_pos += std::min(length, m_in.size() - m_pos);  // binary data is never text
        } else if (word == "colortbl") {
            m_state.destination = Destination::kColourTable;
        } else if (m_state.destination == Destination::kColourTable) {
            ColourComponent(word, parameter);
        } else if (std::binary_search(std::begin(kSkippedDestinations),
                                      std::end(kSkippedDestinations), word)) {
            m_state.destination = Destination::kSkip;
        } else {
            const auto entry =
                std::find_if(kCharacterWords.begin(), kCharacterWords.end(),
                             [word](const CharacterWord& known) { return known.word == word; });
            if (entry != kCharacterWords.end()) {
                Character(entry->character);
            }
        }  // any other word is formatting the pane does not show
    }

    void SetColour(int32_t index) {
        m_state.colour = static_cast<uint16_t>(std::clamp<int32_t>(index, 0, kMaxColourIndex));
        m_builder.SetStyle(m_state.colour, m_state.bold);
    }

    void ColourComponent(std::string_view word, int32_t parameter) {
        const auto value = static_cast<uint8_t>(std::clamp(parameter, 0, kMaxColourComponent));
        if (word == "red") {
            m_colour.red = value;
        } else if (word == "green") {
            m_colour.green = value;
        } else if (word == "blue") {
            m_colour.blue = value;
        } else {
            return;
        }
        m_colour.automatic = false;
    }

    void Unicode(int32_t parameter) {
        const int32_t codePoint = parameter < 0 ? parameter + kUnicodeWrap : parameter;
        const int character = UnicodeToCp1252(static_cast<uint32_t>(std::max(codePoint, 0)));
        Character(character < 0 ? kUnmappedCharacter : static_cast<uint8_t>(character));
        m_fallbackToSkip = m_state.unicodeSkip;
    }

    std::string_view m_in;
    size_t m_pos = 0;
    StyledText& m_out;
    StyledTextBuilder m_builder;
    GroupState m_state;
    std::vector<GroupState> m_stack;
    size_t m_overflowDepth = 0;
    size_t m_fallbackToSkip = 0;
    TextColour m_colour;  // the colour table entry being read
};

}  // namespace

const StyledText& CommLogHeaderContent() {
    static const StyledText header = [] {
        StyledText content;
        RtfParser(std::string(kCommLogHeader) + "x", content).Run();
        return content;
    }();
    return header;
}

bool IsRtf(std::string_view data) {
    return data.substr(0, kRtfSignature.size()) == kRtfSignature;
}

bool ReadRtf(std::string_view rtf, StyledText& out, std::string* error) {
    if (rtf.size() > kMaxRtfDocumentSize) {
        *error = "The file is too large for the communication log (more than " +
                 std::to_string(kMaxRtfDocumentSize >> 20) + " MB).";
        return false;
    }
    if (!IsRtf(rtf)) {
        *error = "The file is not an RTF document.";
        return false;
    }
    if (!ReadCommLogDocument(rtf, CommLogHeaderContent(), out)) {
        RtfParser(rtf, out).Run();
    }
    return true;
}

void ReadPlainText(std::string_view text, StyledText& out) {
    StyledTextBuilder builder(out);
    for (const char c : text.substr(0, kMaxRtfDocumentSize)) {
        builder.AppendChar(static_cast<uint8_t>(c));
    }
    builder.Finish();
}

}  // namespace kestrel
