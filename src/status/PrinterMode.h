// The printer's dialect, chosen on the console: decides the decoding of incoming bytes and the
// framing of outgoing ones.
#pragma once

namespace kestrel {

enum class PrinterMode : int {
    None = 0,
    Smart = 1,
    Normal = 2,
    Ventrix = 3,
    SerialPacket = 4,
};

}  // namespace kestrel
