// Small helpers of 8-bit ASCII text: character classes, hexadecimal digits, the flow-control
// characters, and case-insensitive comparison (ASCII letters only, as the platform's stricmp
// and strnicmp do in the "C" locale).
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The first character that is not a control character (space).
inline constexpr uint8_t kFirstPrintable = 0x20;
inline constexpr uint8_t kAsciiDelete = 0x7F;
// The software flow-control characters, DC1 and DC3.
inline constexpr char kXonChar = 0x11;
inline constexpr char kXoffChar = 0x13;

inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";
inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit of either case, or nothing.
constexpr std::optional<uint8_t> HexDigitValue(char c) {
    if (IsDigit(c)) {
        return static_cast<uint8_t>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<uint8_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<uint8_t>(c - 'A' + 10);
    }
    return std::nullopt;
}

constexpr char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Orders two texts as the platform's stricmp: letters compared without case, then by byte value
// (as unsigned char); negative, zero or positive.
constexpr int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(LowerAscii(a[i]));
        const auto y = static_cast<unsigned char>(LowerAscii(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The order of sorted lists (the demo list, the port list): without case, ties by bytes.
constexpr bool SortsBeforeInList(std::string_view a, std::string_view b) {
    const int order = CompareNoCase(a, b);
    return order != 0 ? order < 0 : a < b;
}

// Adds `text` to a list kept in that order unless the list holds it already without regard to
// case, as a sorted combo box searched before each addition; false when it was there.
inline bool AddToSortedListOnce(std::vector<std::string>& list, std::string text) {
    const auto same = [&text](const std::string& item) { return EqualsNoCase(item, text); };
    if (std::any_of(list.begin(), list.end(), same)) {
        return false;
    }
    const auto at = std::upper_bound(
        list.begin(), list.end(), text,
        [](const std::string& a, const std::string& b) { return SortsBeforeInList(a, b); });
    list.insert(at, std::move(text));
    return true;
}

}  // namespace kestrel
