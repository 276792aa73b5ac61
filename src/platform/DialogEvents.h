// What a dialog's window reports to its logic: initialisation, commands of its controls, timer
// ticks, painting and the ways out. The host calls these on the operator's actions (a check box
// after it has toggled), never for changes the logic itself makes.
#pragma once

#include <cstdint>

#include "platform/DialogHost.h"

namespace kestrel {

// Notification codes with the platform's values.
inline constexpr int kBnClicked = 0;
inline constexpr int kLbnSelChange = 1;
inline constexpr int kCbnSelChange = 1;
inline constexpr int kCbnKillFocus = 4;
inline constexpr int kCbnEditChange = 5;
inline constexpr int kCbnCloseUp = 8;

// The system command of the About item, and the mask its low bits are cleared with.
inline constexpr unsigned kIdmAboutBox = 0x0010;
inline constexpr unsigned kSysCommandMask = 0xFFF0;

class DialogEvents {
  public:
    virtual ~DialogEvents() = default;

    // The host is attached before OnInitDialog and stays until the dialog ends.
    void Attach(DialogHost& host) { m_host = &host; }
    virtual bool OnInitDialog() = 0;
    virtual void OnCommand(int id, int notification) = 0;
    virtual void OnTimer(int /*id*/) {}
    virtual void OnPaint() {}
    // The close box (and Alt+F4): by default the dialog ends with kIdCancel.
    virtual void OnClose() { m_host->EndDialog(kIdCancel); }
    // Escape: by default the dialog ends with kIdCancel.
    virtual void OnCancel() { m_host->EndDialog(kIdCancel); }
    // A system command from the window's menu; true when it was handled.
    virtual bool OnSysCommand(unsigned /*commandId*/) { return false; }

  protected:
    DialogHost* m_host = nullptr;
};

}  // namespace kestrel
