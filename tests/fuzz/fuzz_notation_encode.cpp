// Any text, any length: the count stays within the text and the terminator follows the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "notation/EncodeCommandText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    const int count = kestrel::EncodeCommandText(text.data());
    if (count < 0 || static_cast<size_t>(count) > length || text[static_cast<size_t>(count)] != 0) {
        std::abort();
    }
    return 0;
}
