// The modem lines in Debug Mode, in a panel of ours beside the template's controls: lamps for
// what the printer signals (CTS, DSR, DCD, RI) and toggles for the lines the console drives
// (DTR, RTS). They are read on the read tick, with one query, only for an open serial port; a
// port without modem lines (a pseudo-terminal) shows them as unavailable, never in a box.
#pragma once

#include <array>
#include <string>

namespace kestrel {

class DialogHost;
class IOComm;

// The panel's controls, addressed as the template's are; no template uses these ids.
inline constexpr int IDC_MODEMLINES = 1130;  // the panel as a whole
inline constexpr int IDC_LINECTS = 1131;
inline constexpr int IDC_LINEDSR = 1132;
inline constexpr int IDC_LINEDCD = 1133;
inline constexpr int IDC_LINERI = 1134;
inline constexpr int IDC_LINEDTR = 1135;
inline constexpr int IDC_LINERTS = 1136;
inline constexpr int IDC_MODEMLINESNOTE = 1137;

// The lamps in the panel's order, with their captions.
struct ModemLineLamp {
    int id;
    int line;  // the TIOCM_* bit
    const char* caption;
};
extern const std::array<ModemLineLamp, 4> kModemLineLamps;

class ModemLines {
  public:
    // Debug Mode shows the panel and hides it.
    void Show(DialogHost& host, bool shown);
    // The read tick: what the lines are now, or why they cannot be seen.
    void Refresh(DialogHost& host, IOComm& port, bool portOpen);
    // A click of the DTR or RTS toggle: sets the line at once. False for any other control.
    bool OnToggle(DialogHost& host, IOComm& port, int id);

  private:
    // What the panel shows; applied to the window only when it changes.
    struct View {
        std::array<int, 4> lamps{};  // checked: the line is on
        bool lampsEnabled = false;
        int dtr = 0;
        int rts = 0;
        bool dtrEnabled = false;
        bool rtsEnabled = false;
        std::string note;
        bool operator==(const View&) const = default;
    };
    void Apply(DialogHost& host, const View& view);

    bool m_shown = false;
    bool m_applied = false;
    bool m_reapply = false;
    View m_view;
    // A toggle that could not be set says so while the lines stay as they are.
    std::string m_toggleFailure;
};

}  // namespace kestrel
