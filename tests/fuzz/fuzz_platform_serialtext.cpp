// Feeds arbitrary text to the serial settings parser: a refused text must leave the DCB as it
// was, an accepted one must give a DCB within the platform's ranges.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/SerialLineSettings.h"
#include "platform/SerialSettingsText.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at a zero byte
    kestrel::DCB start{};
    start.DCBlength = sizeof(kestrel::DCB);
    start.BaudRate = 9600;
    start.ByteSize = 8;
    start.Flags = kestrel::kDcbBinary;
    kestrel::DCB dcb = start;
    if (!kestrel::BuildCommDcb(text.c_str(), &dcb)) {
        Check(std::memcmp(&dcb, &start, sizeof dcb) == 0);
        return 0;
    }
    Check(dcb.DCBlength == sizeof(kestrel::DCB));
    Check(dcb.ByteSize >= 5 && dcb.ByteSize <= 8);
    Check(dcb.Parity <= kestrel::kSpaceParity);
    Check(dcb.StopBits <= kestrel::kTwoStopBits);
    Check(kestrel::DcbToTermios(dcb).valid == (dcb.BaudRate != 0));
    return 0;
}
