#include "commlog/CommLogDocumentReader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "commlog/CommLogDocument.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

constexpr std::string_view kParagraph = "par ";
constexpr size_t kColourWordBytes = 5;  // "\cfN "
constexpr size_t kBoldOnBytes = 3;      // "\b "
constexpr size_t kBoldOffBytes = 4;     // "\b0 "
constexpr size_t kEscapeBytes = 2;      // "\\", "\{", "\}"

inline bool IsText(char c) {
    return c != '\\' && c != '{' && c != '}' && static_cast<uint8_t>(c) >= kFirstPrintable;
}

constexpr uint64_t kEveryByte = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;
constexpr size_t kWordBytes = sizeof(uint64_t);
constexpr int kBitsPerByte = 8;
constexpr size_t kCopyWordBytes = 16;

// Flags bytes below `limit` (at most 0x80); the lowest flagged byte is exact, flags above it may
// be spurious, which is all a search for the first one needs.
inline uint64_t BytesBelow(uint64_t word, uint8_t limit) {
    return (word - kEveryByte * limit) & ~word & kHighBits;
}

inline uint64_t BytesEqual(uint64_t word, char c) {
    return BytesBelow(word ^ (kEveryByte * static_cast<uint8_t>(c)), 1);
}

// The end of the text that starts at `p`: eight bytes at a time where the machine's byte order
// allows, which spares a mispredicted branch for each of the short pieces of text in a log.
const char* EndOfText(const char* p, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        while (static_cast<size_t>(end - p) >= kWordBytes) {
            uint64_t word;
            std::memcpy(&word, p, kWordBytes);
            const uint64_t stops = BytesEqual(word, '\\') | BytesEqual(word, '{') |
                                   BytesEqual(word, '}') | BytesBelow(word, kFirstPrintable);
            if (stops != 0) {
                return p + std::countr_zero(stops) / kBitsPerByte;
            }
            p += kWordBytes;
        }
    }
    while (p < end && IsText(*p)) {
        ++p;
    }
    return p;
}

// Writes the text straight into storage sized for the whole document.
class FastWriter {
  public:
    FastWriter(StyledText& out, size_t capacity) : m_out(out) {
        // Each byte of text comes from at least one byte of the document, so the text is never
        // longer than it, and there is room for a whole copy word wherever the document has one.
        m_out.text.resize(capacity);
        m_begin = m_out.text.data();
        m_end = m_begin;
    }

    void SetStyle(uint16_t colour, uint8_t bold) {
        m_colour = colour;
        m_bold = bold;
    }

    // `available` is how many bytes may be read from `text`: with a full word there, short
    // pieces are copied as one word (the storage always has room past the text's end).
    void Append(const char* text, size_t length, size_t available) {
        const auto offset = static_cast<uint32_t>(m_end - m_begin);
        if (m_out.runs.empty() || m_out.runs.back().colour != m_colour ||
            m_out.runs.back().bold != m_bold) {
            m_out.runs.push_back(StyleRun{offset, m_colour, m_bold});
        }
        if (length <= kCopyWordBytes && available >= kCopyWordBytes) {
            std::memcpy(m_end, text, kCopyWordBytes);
        } else {
            std::memcpy(m_end, text, length);
        }
        m_end += length;
    }

    void NewLine() {
        NoteLineLength();
        *m_end++ = '\n';
        m_out.lineStarts.push_back(static_cast<uint32_t>(m_end - m_begin));
    }

    void Finish() {
        NoteLineLength();
        m_out.text.resize(static_cast<size_t>(m_end - m_begin));
    }

    uint16_t Colour() const { return m_colour; }
    uint8_t Bold() const { return m_bold; }

  private:
    void NoteLineLength() {
        const size_t length = static_cast<size_t>(m_end - m_begin) - m_out.lineStarts.back();
        m_out.longestLine = std::max(m_out.longestLine, length);
    }

    StyledText& m_out;
    char* m_begin = nullptr;
    char* m_end = nullptr;
    uint16_t m_colour = 0;
    uint8_t m_bold = 0;
};

}  // namespace

bool ReadCommLogDocument(std::string_view rtf, const StyledText& header, StyledText& out) {
    if (rtf.substr(0, kCommLogHeader.size()) != kCommLogHeader || header.runs.empty()) {
        return false;
    }
    out.Clear();
    out.colours = header.colours;
    FastWriter writer(out, rtf.size());
    writer.SetStyle(header.runs.back().colour, header.runs.back().bold);

    const char* p = rtf.data() + kCommLogHeader.size();
    const char* const end = rtf.data() + rtf.size();
    while (p < end) {
        const auto left = static_cast<size_t>(end - p);
        if (IsText(*p)) {
            const char* const start = p;
            p = EndOfText(p, end);
            writer.Append(start, static_cast<size_t>(p - start), static_cast<size_t>(end - start));
        } else if (*p == '}') {
            if (left != 1) {
                return false;  // the document's group closes at its very end
            }
            writer.Finish();
            return true;
        } else if (*p != '\\' || left < kEscapeBytes) {
            return false;
        } else if (left >= kColourWordBytes && p[1] == 'c' && p[2] == 'f' && IsDigit(p[3]) &&
                   p[4] == ' ') {
            writer.SetStyle(static_cast<uint16_t>(p[3] - '0'), writer.Bold());
            p += kColourWordBytes;
        } else if (left >= kBoldOnBytes && p[1] == 'b' && p[2] == ' ') {
            writer.SetStyle(writer.Colour(), 1);
            p += kBoldOnBytes;
        } else if (left >= kBoldOffBytes && p[1] == 'b' && p[2] == '0' && p[3] == ' ') {
            writer.SetStyle(writer.Colour(), 0);
            p += kBoldOffBytes;
        } else if (left > kParagraph.size() &&
                   std::string_view(p + 1, kParagraph.size()) == kParagraph) {
            writer.NewLine();
            p += 1 + kParagraph.size();
        } else if (p[1] == '\\' || p[1] == '{' || p[1] == '}') {
            writer.Append(p + 1, 1, left - 1);
            p += kEscapeBytes;
        } else {
            return false;
        }
    }
    return false;  // truncated: the general reader reads it as far as it goes
}

}  // namespace kestrel
