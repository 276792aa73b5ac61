#include "notation/EncodeCommandText.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "notation/ControlCodeTable.h"
#include "notation/NumberToken.h"

namespace kestrel {
namespace {

constexpr char kCommentStart = '`';
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr size_t kBracketWindow = 10;  // characters after the opening bracket
constexpr uint8_t kUnknownNameByte = 0x00;

struct Token {
    std::string_view text;
    size_t next = 0;  // read position after the token
};

// The token after the opening bracket at `open`; output is written behind the read position,
// so the characters looked at here are still the caller's text.
Token TakeToken(std::string_view text, size_t open, char close) {
    const size_t start = open + 1;
    const size_t windowEnd = std::min(text.size(), start + kBracketWindow);
    for (size_t i = start; i < windowEnd; ++i) {
        if (text[i] == close) {
            return {text.substr(start, i - start), i + 1};
        }
    }
    return {text.substr(start), text.size()};
}

uint8_t NameTokenByte(std::string_view token) {
    const int code = FindControlCode(token);
    return code < 0 ? kUnknownNameByte : static_cast<uint8_t>(code);
}

}  // namespace

int EncodeCommandText(char* text) {
    // The length is fixed before the scan: bytes written may be 0x00, but only ever at or behind
    // the read position, since every output byte consumes at least one input character.
    const std::string_view input(text, std::strlen(text));
    size_t read = 0;
    size_t count = 0;
    while (read < input.size()) {
        const char c = input[read];
        if (c == kCommentStart) {
            const size_t lineEnd = input.find(kLineFeed, read);
            read = lineEnd == std::string_view::npos ? input.size() : lineEnd;
        } else if (c == '<' || c == '[') {
            const Token token = TakeToken(input, read, c == '<' ? '>' : ']');
            const uint8_t byte = c == '<' ? NumberTokenByte(token.text) : NameTokenByte(token.text);
            text[count++] = static_cast<char>(byte);
            read = token.next;
        } else if (c == kCarriageReturn || c == kLineFeed) {
            ++read;
        } else {
            text[count++] = c;
            ++read;
        }
    }
    text[count] = '\0';
    return static_cast<int>(count);
}

std::string EncodeCommandBytes(std::string text) {
    const int count = EncodeCommandText(text.data());
    text.resize(static_cast<size_t>(count));
    return text;
}

}  // namespace kestrel
