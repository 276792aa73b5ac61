#include "console/PortDialog.h"

#include <cstdio>

#include "app/CKestrelApp.h"
#include "console/ControlIds.h"
#include "platform/TtyDevice.h"

namespace kestrel {
namespace {

constexpr int kPortListMax = 50;
constexpr const char* kSerialNotApplicableFormat = "Serial setting not applicable to: %s";

}  // namespace

bool SerialSetupApplies(const std::string& name) {
    return name.find("COM") != std::string::npos ||
           (!name.empty() && name.front() == '/' && IsTtyDevice(name));
}

bool PortDialog::OnInitDialog() {
    for (int index = 0; index < kPortListMax; ++index) {
        const std::string name = m_app.m_ioComm.GetPortName(index);
        if (name.empty()) {
            break;
        }
        if (m_host->FindStringExact(IDC_PORTCOMBO, -1, name) == kListError) {
            m_host->AddString(IDC_PORTCOMBO, name);
        }
    }
    if (m_host->SelectString(IDC_PORTCOMBO, -1, m_app.m_portName) == kListError) {
        m_host->SetCurSel(IDC_PORTCOMBO, 0);
    }
    OnCloseupPortCombo();
    return true;
}

void PortDialog::OnCommand(int id, int notification) {
    if (id == kIdOk) {
        OnOK();
    } else if (id == kIdCancel) {
        m_host->EndDialog(kIdCancel);
    } else if (id == IDC_SETUPSERIAL && notification == kBnClicked) {
        OnSetupSerialPort();
    } else if (id == IDC_PORTCOMBO && notification == kCbnCloseUp) {
        OnCloseupPortCombo();
    }
}

std::string PortDialog::ChosenName() const {
    return m_host->GetItemText(IDC_PORTCOMBO);
}

void PortDialog::OnCloseupPortCombo() {
    // The button stays usable whatever was chosen; a name it does not apply to is refused
    // with a message when it is pressed.
    m_host->EnableItem(IDC_SETUPSERIAL, true);
}

void PortDialog::OnSetupSerialPort() {
    m_app.m_portName = ChosenName();
    if (!SerialSetupApplies(m_app.m_portName)) {
        char message[kSerialMessageBufferSize];
        std::snprintf(message, sizeof message, kSerialNotApplicableFormat,
                      m_app.m_portName.c_str());
        m_host->MessageBox(message, "", kMbOk);
        return;
    }
    m_host->EnableItem(kIdCancel, false);
    IOComm& port = m_app.m_ioComm;
    if (port.GetHandshake() == HandshakeXonXoff) {
        port.SetHandshake(HandshakeNone);
    }
    port.Open(m_app.m_portName, "", 1);
    port.ClassifyPort();
    port.ConfigureSerial(nullptr, m_host);
    port.Close();
}

void PortDialog::OnOK() {
    m_app.m_portName = ChosenName();
    m_app.m_ioComm.Close();
    m_app.m_ioComm.Open(m_app.m_portName, "", 1);
    m_host->EnableItem(kIdCancel, false);
    m_host->EndDialog(kIdOk);
}

}  // namespace kestrel
