#include "app/SerialSetup.h"

#include <algorithm>

#include "app/CKestrelApp.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

// Opens the selected port to learn its kind; true, with the port closed again, for a serial
// port.
bool SelectedPortIsSerial(CKestrelApp& app) {
    if (app.m_portName.empty()) {
        return false;
    }
    IOComm& port = app.m_ioComm;
    if (port.Open(app.m_portName, "", 1) == 0) {
        return false;
    }
    const bool serial = port.GetKind() == KindSerial;
    port.Close();
    return serial;
}

}  // namespace

int PortSetup(CKestrelApp& app, const std::string& settingsText) {
    if (!SelectedPortIsSerial(app)) {
        return 0;
    }
    IOComm& port = app.m_ioComm;
    if (port.GetHandshake() == HandshakeXonXoff) {
        port.SetHandshake(HandshakeNone);
    }
    port.Open(app.m_portName, settingsText, 1);
    const int result = port.ConfigureSerial(nullptr, app.m_messageOwner);
    port.Close();
    return result;
}

int ApplyHandshakeOption(CKestrelApp& app, const std::string& optionText) {
    if (!SelectedPortIsSerial(app)) {
        return 0;
    }
    IOComm& port = app.m_ioComm;
    port.Open(app.m_portName, optionText, 1);
    std::string lower = optionText;
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
    if (lower.find("hardware") != std::string::npos) {
        port.SetHandshake(HandshakeHardware);
    }
    if (lower.find("xon") != std::string::npos) {
        port.SetHandshake(HandshakeNone);
    }
    if (lower.find("none") != std::string::npos) {
        port.SetHandshake(HandshakeNone);
    }
    port.Close();
    return 1;
}

}  // namespace kestrel
