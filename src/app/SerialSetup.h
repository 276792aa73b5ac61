// The serial set-up actions of the command line: "portsetup" applies a settings text (or asks
// with the serial settings dialog) to the selected serial port and stores it; "handshake"
// chooses its flow control.
#pragma once

#include <string>

namespace kestrel {

class CKestrelApp;

// Both return 0 when no port is selected, it cannot be opened or it is not serial, and leave
// the port closed.
int PortSetup(CKestrelApp& app, const std::string& settingsText);
int ApplyHandshakeOption(CKestrelApp& app, const std::string& optionText);

}  // namespace kestrel
