#include "platform/RegistryText.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/AsciiText.h"

namespace kestrel {
namespace {

// Binary values wrap like a registry export: lines of at most 80 columns with "\\" at the end.
constexpr size_t kHexLineWidth = 80;
constexpr size_t kHexItemWidth = 2;
constexpr size_t kDwordDigits = 8;
constexpr uint32_t kHexTypeString = 1;
constexpr uint32_t kHexTypeBinary = 3;
constexpr uint32_t kHexTypeDword = 4;

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

int HexValue(char c) {
    const std::optional<uint8_t> value = HexDigitValue(c);
    return value ? *value : -1;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<uint32_t> ParseHexNumber(std::string_view text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (const char c : text) {
        const int digit = HexValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

// "01,02,ff": every byte exactly two digits; an empty list is an empty value.
std::optional<std::vector<uint8_t>> ParseHexList(std::string_view text) {
    std::vector<uint8_t> bytes;
    text = TrimRight(TrimLeft(text));
    if (text.empty()) {
        return bytes;
    }
    while (true) {
        const size_t comma = text.find(',');
        const std::string_view item = TrimRight(TrimLeft(text.substr(0, comma)));
        if (item.size() != 2 || bytes.size() >= kRegistryMaxValueSize) {
            return std::nullopt;
        }
        const int high = HexValue(item[0]);
        const int low = HexValue(item[1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>((high << 4) | low));
        if (comma == std::string_view::npos) {
            return bytes;
        }
        text.remove_prefix(comma + 1);
    }
}

// A quoted text starting at text[0] == '"' with \\ and \" escapes. On success `rest` is what
// follows the closing quote.
std::optional<std::string> ParseQuoted(std::string_view text, std::string_view* rest) {
    if (text.empty() || text.front() != '"') {
        return std::nullopt;
    }
    std::string result;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            *rest = text.substr(i + 1);
            return result;
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                return std::nullopt;
            }
            ++i;
            result.push_back(text[i]);
        } else {
            result.push_back(c);
        }
    }
    return std::nullopt;  // no closing quote: a truncated line
}

std::optional<SettingsValue> ParseData(std::string_view data) {
    SettingsValue value;
    if (!data.empty() && data.front() == '"') {
        std::string_view rest;
        const std::optional<std::string> text = ParseQuoted(data, &rest);
        if (!text || !TrimRight(rest).empty() || text->size() >= kRegistryMaxValueSize) {
            return std::nullopt;
        }
        value.type = SettingsValueType::String;
        value.data.assign(text->begin(), text->end());
        value.data.push_back(0);
        return value;
    }
    data = TrimRight(data);
    if (StartsWithNoCase(data, "dword:")) {
        const std::optional<uint32_t> number = ParseHexNumber(data.substr(6), kDwordDigits);
        if (!number) {
            return std::nullopt;
        }
        value.type = SettingsValueType::Dword;
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<uint8_t>(*number >> shift));
        }
        return value;
    }
    uint32_t hexType = kHexTypeBinary;
    if (StartsWithNoCase(data, "hex:")) {
        data.remove_prefix(4);
    } else if (StartsWithNoCase(data, "hex(")) {
        const size_t close = data.find("):");
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::optional<uint32_t> number = ParseHexNumber(data.substr(4, close - 4), 8);
        if (!number) {
            return std::nullopt;
        }
        hexType = *number;
        data.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    switch (hexType) {
        case kHexTypeString:
            value.type = SettingsValueType::String;
            break;
        case kHexTypeBinary:
            value.type = SettingsValueType::Binary;
            break;
        case kHexTypeDword:
            value.type = SettingsValueType::Dword;
            break;
        default:
            return std::nullopt;  // a type this store does not hold
    }
    std::optional<std::vector<uint8_t>> bytes = ParseHexList(data);
    if (!bytes) {
        return std::nullopt;
    }
    value.data = std::move(*bytes);
    return value;
}

std::optional<SettingsValue> ParseValueLine(std::string_view line) {
    std::string name;
    std::string_view rest;
    if (line.front() == '@') {
        rest = line.substr(1);
    } else {
        std::optional<std::string> quoted = ParseQuoted(line, &rest);
        if (!quoted) {
            return std::nullopt;
        }
        name = std::move(*quoted);
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=' || !IsWritableValueName(name)) {
        return std::nullopt;
    }
    std::optional<SettingsValue> value = ParseData(TrimLeft(rest.substr(1)));
    if (value) {
        value->name = std::move(name);
    }
    return value;
}

void Store(std::vector<SettingsValue>* values, SettingsValue value) {
    for (SettingsValue& existing : *values) {
        if (SameValueName(existing.name, value.name)) {
            existing.type = value.type;
            existing.data = std::move(value.data);
            return;
        }
    }
    values->push_back(std::move(value));
}

// Joins "\"-continued physical lines into logical lines; a logical line with an over-long
// physical line, or one that grows past what any value needs, comes back marked damaged.
class LogicalLines {
  public:
    explicit LogicalLines(std::string_view text) : m_text(text) {}

    bool Next(std::string* line, bool* damaged) {
        line->clear();
        *damaged = false;
        bool first = true;
        while (m_pos < m_text.size()) {
            size_t end = m_text.find('\n', m_pos);
            if (end == std::string_view::npos) {
                end = m_text.size();
            }
            std::string_view physical = m_text.substr(m_pos, end - m_pos);
            m_pos = end + 1;
            if (physical.size() > kRegistryMaxLineLength) {
                *damaged = true;
            }
            physical = TrimRight(physical);
            if (!first) {
                physical = TrimLeft(physical);
            }
            first = false;
            const bool continues = !physical.empty() && physical.back() == '\\';
            if (continues) {
                physical.remove_suffix(1);
            }
            if (!*damaged && line->size() + physical.size() <= kMaxLogicalLength) {
                line->append(physical);
            } else {
                *damaged = true;
            }
            if (!continues) {
                return true;
            }
        }
        return !first;
    }

  private:
    // Three characters per byte of the largest value, plus its name.
    static constexpr size_t kMaxLogicalLength = 3 * kRegistryMaxValueSize + kRegistryMaxLineLength;
    std::string_view m_text;
    size_t m_pos = 0;
};

void AppendQuoted(std::string* out, std::string_view text) {
    out->push_back('"');
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out->push_back('\\');
        }
        out->push_back(c);
    }
    out->push_back('"');
}

bool IsPlainString(const std::vector<uint8_t>& data) {
    if (data.empty() || data.back() != 0) {
        return false;
    }
    return std::all_of(data.begin(), data.end() - 1,
                       [](uint8_t b) { return b >= kFirstPrintable && b != kAsciiDelete; });
}

void AppendHexList(std::string* out, const std::vector<uint8_t>& data) {
    const size_t lineStart = out->rfind('\n');
    size_t column = out->size() - (lineStart == std::string::npos ? 0 : lineStart + 1);
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out->push_back(',');
            ++column;
            if (column + kHexItemWidth + 2 > kHexLineWidth) {  // item, comma and "\\" must fit
                out->append("\\\n  ");
                column = 2;
            }
        }
        out->push_back(kLowerHexDigits[data[i] >> 4]);
        out->push_back(kLowerHexDigits[data[i] & 0xf]);
        column += kHexItemWidth;
    }
}

void AppendValue(std::string* out, const SettingsValue& value) {
    if (value.name.empty()) {
        out->push_back('@');
    } else {
        AppendQuoted(out, value.name);
    }
    out->push_back('=');
    switch (value.type) {
        case SettingsValueType::Dword:
            if (value.data.size() == 4) {
                uint32_t number = 0;
                for (int i = 3; i >= 0; --i) {
                    number = (number << 8) | value.data[static_cast<size_t>(i)];
                }
                out->append("dword:");
                for (int shift = 28; shift >= 0; shift -= 4) {
                    out->push_back(kLowerHexDigits[(number >> shift) & 0xf]);
                }
            } else {
                out->append("hex(4):");
                AppendHexList(out, value.data);
            }
            break;
        case SettingsValueType::Binary:
            out->append("hex:");
            AppendHexList(out, value.data);
            break;
        case SettingsValueType::String:
            if (IsPlainString(value.data)) {
                AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                                   value.data.size() - 1));
            } else {
                out->append("hex(1):");
                AppendHexList(out, value.data);
            }
            break;
    }
    out->push_back('\n');
}

}  // namespace

bool SameValueName(std::string_view a, std::string_view b) {
    return EqualsNoCase(a, b);
}

bool IsWritableValueName(std::string_view name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<uint8_t>(c);
        return byte < kFirstPrintable || byte == kAsciiDelete;
    });
}

std::vector<SettingsValue> ParseRegistryText(std::string_view text) {
    std::vector<SettingsValue> values;
    LogicalLines lines(text);
    std::string line;
    bool damaged = false;
    bool inKey = false;
    while (lines.Next(&line, &damaged)) {
        const std::string_view content = TrimLeft(line);
        if (damaged || content.empty()) {
            continue;
        }
        if (content.front() == '[') {
            inKey = SameValueName(TrimRight(content), kSettingsKeyLine);
            continue;
        }
        if (!inKey || (content.front() != '"' && content.front() != '@')) {
            continue;  // the header, comments, other keys and garbage
        }
        std::optional<SettingsValue> value = ParseValueLine(content);
        if (value) {
            Store(&values, std::move(*value));
        }
    }
    return values;
}

std::string FormatRegistryText(const std::vector<SettingsValue>& values) {
    std::string out(kRegistryHeader);
    out.append("\n\n");
    out.append(kSettingsKeyLine);
    out.push_back('\n');
    for (const SettingsValue& value : values) {
        AppendValue(&out, value);
    }
    out.push_back('\n');
    return out;
}

}  // namespace kestrel
