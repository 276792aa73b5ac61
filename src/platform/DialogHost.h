// The window-system interface of the console: controls by id, window timers, message boxes and
// file dialogs. The console logic talks to its window only through this; src/ui implements it
// on Qt widgets and the tests use a fake.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// Message box styles and results, with the platform's values.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class DialogHost {
  public:
    virtual ~DialogHost() = default;

    // Controls, addressed by their ids.
    virtual void SetItemText(int id, const std::string& text) = 0;
    virtual std::string GetItemText(int id) const = 0;
    virtual void CheckButton(int id, int checked) = 0;
    virtual int IsButtonChecked(int id) const = 0;
    virtual void ShowItem(int id, bool show) = 0;
    virtual void EnableItem(int id, bool enable) = 0;

    // Window timers: each expiry arrives as OnTimer(id); arming an armed id restarts it.
    virtual void SetTimer(int id, uint32_t periodMs) = 0;
    virtual void KillTimer(int id) = 0;

    // A modal message box; returns the button pressed (kIdOk, ...).
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;

    // The save-file dialog with a filter in the platform's "Name (*.x)|*.x||" form; returns
    // the chosen full path, or an empty text when the operator cancels.
    virtual std::string SaveFileDialog(const std::string& filter) = 0;
};

}  // namespace kestrel
