#include "console/ModemLines.h"

#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

#include "platform/DialogHost.h"
#include "port/IOComm.h"

namespace kestrel {

const std::array<ModemLineLamp, 4> kModemLineLamps = {{
    {IDC_LINECTS, TIOCM_CTS, "CTS"},
    {IDC_LINEDSR, TIOCM_DSR, "DSR"},
    {IDC_LINEDCD, TIOCM_CAR, "DCD"},
    {IDC_LINERI, TIOCM_RNG, "RI"},
}};

namespace {

constexpr const char* kClosedNote = "Port closed";
constexpr const char* kNotSerialNote = "Not a serial port";
constexpr const char* kNoLinesNote = "No modem lines on this port";
constexpr const char* kHandshakeNote = "RTS follows the hardware handshake";

}  // namespace

void ModemLines::Show(DialogHost& host, bool shown) {
    m_shown = shown;
    host.ShowItem(IDC_MODEMLINES, shown);
}

void ModemLines::Refresh(DialogHost& host, IOComm& port, bool portOpen) {
    if (!m_shown) {
        return;
    }
    View view;
    int lines = 0;
    if (!portOpen) {
        view.note = kClosedNote;
    } else if (port.GetKind() != KindSerial) {
        view.note = kNotSerialNote;
    } else if (port.GetModemLines(&lines) == 0) {
        view.note = kNoLinesNote;
    } else {
        for (size_t i = 0; i < kModemLineLamps.size(); ++i) {
            view.lamps[i] = (lines & kModemLineLamps[i].line) != 0 ? 1 : 0;
        }
        const bool hardware = port.GetHandshake() == HandshakeHardware;
        view.lampsEnabled = true;
        view.dtr = (lines & TIOCM_DTR) != 0 ? 1 : 0;
        view.rts = (lines & TIOCM_RTS) != 0 ? 1 : 0;
        view.dtrEnabled = true;
        view.rtsEnabled = !hardware;
        view.note = hardware ? kHandshakeNote : "";
    }
    if (!m_toggleFailure.empty()) {
        View unchanged = m_view;
        unchanged.note = view.note;
        if (m_applied && unchanged == view) {
            view.note = m_toggleFailure;
        } else {
            m_toggleFailure.clear();  // the lines changed: the failure is old news
        }
    }
    if (!m_applied || m_reapply || !(view == m_view)) {
        Apply(host, view);
    }
}

bool ModemLines::OnToggle(DialogHost& host, IOComm& port, int id) {
    if (id != IDC_LINEDTR && id != IDC_LINERTS) {
        return false;
    }
    const bool raised = host.IsButtonChecked(id) != 0;
    const bool dtr = id == IDC_LINEDTR;
    if (port.SetModemLine(dtr ? TIOCM_DTR : TIOCM_RTS, raised) == 0) {
        m_toggleFailure = std::string(dtr ? "DTR" : "RTS") + " could not be " +
                          (raised ? "raised: " : "dropped: ") + std::strerror(errno);
        host.CheckButton(id, raised ? 0 : 1);
    } else {
        m_toggleFailure.clear();
    }
    m_reapply = true;  // the toggle shows the line as the port has it
    Refresh(host, port, port.IsOpen());
    return true;
}

void ModemLines::Apply(DialogHost& host, const View& view) {
    for (size_t i = 0; i < kModemLineLamps.size(); ++i) {
        host.CheckButton(kModemLineLamps[i].id, view.lamps[i]);
        host.EnableItem(kModemLineLamps[i].id, view.lampsEnabled);
    }
    host.CheckButton(IDC_LINEDTR, view.dtr);
    host.CheckButton(IDC_LINERTS, view.rts);
    host.EnableItem(IDC_LINEDTR, view.dtrEnabled);
    host.EnableItem(IDC_LINERTS, view.rtsEnabled);
    host.SetItemText(IDC_MODEMLINESNOTE, view.note);
    m_view = view;
    m_applied = true;
    m_reapply = false;
}

}  // namespace kestrel
