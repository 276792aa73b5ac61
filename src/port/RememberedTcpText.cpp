#include "port/RememberedTcpText.h"

#include <algorithm>
#include <cstring>

namespace kestrel {

namespace {

constexpr char kSeparator = ' ';

std::string_view StoredText(const uint8_t* data, size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);
    return std::string_view(text, strnlen(text, size));
}

// Every space-separated piece of the text, unfiltered.
std::vector<std::string_view> Pieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(kSeparator, pos);
        if (start == std::string_view::npos) {
            break;
        }
        const size_t end = std::min(text.find(kSeparator, start), text.size());
        pieces.push_back(text.substr(start, end - start));
        pos = end;
    }
    return pieces;
}

bool IsPrintable(std::string_view piece) {
    return std::all_of(piece.begin(), piece.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

}  // namespace

std::vector<std::string> RememberedTcpEntries(const uint8_t* data, size_t size) {
    std::vector<std::string> entries;
    for (const std::string_view piece : Pieces(StoredText(data, size))) {
        if (piece.size() <= kRememberedTcpPieceMax && IsPrintable(piece)) {
            entries.emplace_back(piece);
        }
    }
    return entries;
}

RememberResult AddRememberedTcpAddress(uint8_t (&value)[kRememberedTcpSize],
                                       std::string_view address) {
    const std::string_view stored = StoredText(value, kRememberedTcpSize);
    const std::vector<std::string_view> pieces = Pieces(stored);
    if (std::find(pieces.begin(), pieces.end(), address) != pieces.end()) {
        return RememberResult::AlreadyKnown;
    }
    const size_t length = stored.size();
    // The separator, the address and a terminating zero must all fit.
    if (address.empty() || length + 1 + address.size() + 1 > kRememberedTcpSize) {
        return RememberResult::NoRoom;
    }
    value[length] = static_cast<uint8_t>(kSeparator);
    std::memcpy(value + length + 1, address.data(), address.size());
    value[length + 1 + address.size()] = 0;
    return RememberResult::Appended;
}

}  // namespace kestrel
