// The serial settings dialog: speed (the usual ones or any other number), data bits, parity,
// stop bits and flow control of a serial port, edited in its COMMCONFIG. Cancel reports failure;
// on the offscreen platform it reports failure without showing anything.
#pragma once

#include <cstdint>

#include "platform/CommConfigDialog.h"
#include "platform/CommTypes.h"

namespace kestrel {

enum class FlowControl { None, XonXoff, Hardware };

// What the dialog edits, as the operator sees it.
struct SerialChoices {
    uint32_t speed = 9600;
    uint8_t dataBits = 8;
    uint8_t parity = kNoParity;
    uint8_t stopBits = kOneStopBit;
    FlowControl flow = FlowControl::None;
    bool operator==(const SerialChoices&) const = default;
};

// The choices a DCB holds; values outside the dialog's range show as its defaults.
SerialChoices ChoicesFromDcb(const DCB& dcb);
// Writes the choices into a DCB, leaving what the dialog does not edit.
void ApplyChoices(const SerialChoices& choices, DCB& dcb);

class SerialSettingsDialog : public CommConfigDialog {
  public:
    // `ownerWindow` is the DialogHost of the window asking, or null.
    bool Run(const std::string& portName, const void* ownerWindow, COMMCONFIG* config) override;
};

}  // namespace kestrel
