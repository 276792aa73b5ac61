// Feeds arbitrary bytes to the readers of outside text in the port code: the stored "TCP" value
// (entries, and adding an address to it) and a spooler queue's device URI. Checks that every
// entry is printable and short, that adding keeps a terminator inside the value and makes the
// address an entry, and that a parsed URI has a host.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "port/RememberedTcpText.h"
#include "port/SocketUri.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool IsEntry(const uint8_t* value, std::string_view address) {
    for (const std::string& entry :
         kestrel::RememberedTcpEntries(value, kestrel::kRememberedTcpSize)) {
        if (entry == address) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const std::string& entry : kestrel::RememberedTcpEntries(data, size)) {
        Check(!entry.empty() && entry.size() <= kestrel::kRememberedTcpPieceMax);
        for (const char c : entry) {
            Check(c > ' ' && c < 0x7F);
        }
    }

    uint8_t value[kestrel::kRememberedTcpSize]{};
    const size_t stored = size < sizeof value ? size : sizeof value;
    std::memcpy(value, data, stored);
    const std::string_view address(reinterpret_cast<const char*>(data) + stored, size - stored);
    const kestrel::RememberResult result = kestrel::AddRememberedTcpAddress(value, address);
    if (result == kestrel::RememberResult::Appended) {
        Check(std::memchr(value, 0, sizeof value) != nullptr);
        const bool printable =
            address.find_first_of(std::string_view(" \0", 2)) == std::string_view::npos;
        bool plain = printable && address.size() <= kestrel::kRememberedTcpPieceMax;
        for (const char c : address) {
            plain = plain && c > ' ' && c < 0x7F;
        }
        if (plain) {
            Check(IsEntry(value, address));
        }
    }

    const std::string_view uri(reinterpret_cast<const char*>(data), size);
    if (const auto parsed = kestrel::ParseSocketUri(uri)) {
        Check(!parsed->host.empty());
    }
    return 0;
}
