// The desktop's counterpart of registering the program as a server: a freedesktop desktop
// entry for the user, so Kestrel appears among the applications. "RegServer" and "UnregServer"
// on the command line install and remove it.
#pragma once

#include <string>

namespace kestrel {

inline constexpr const char* kDesktopEntryName = "kestrel.desktop";

enum class RegistrationSwitch { None, Register, Unregister };

// Looks for "RegServer" or "UnregServer" after each "-" or "/" of the raw command line; the
// whole rest of the line must be the switch (case ignored), so a switch followed by more text
// does not count.
RegistrationSwitch FindRegistrationSwitch(const std::string& commandLine);

// $XDG_DATA_HOME/applications/kestrel.desktop, or ~/.local/share/applications/kestrel.desktop.
std::string DesktopEntryPath();

// The entry's text for the program at `executable`; the package installs the one for
// "kestrel", with the icon of that name.
std::string DesktopEntryText(const std::string& executable);

// Writes the entry for the running program (atomically, making the folder); false on failure.
bool InstallDesktopEntry();

// Removes the entry; true when it is gone (also when it was never there).
bool RemoveDesktopEntry();

}  // namespace kestrel
