// Whether the program can show its window: a display, Qt's offscreen platform for an unattended
// job ("s" or "file:" on the command line) or a registration switch, or neither.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

enum class DisplayChoice { Display, Offscreen, NoDisplay };

inline constexpr const char* kNeedsDisplayMessage =
    "kestrel: this program needs a display (set DISPLAY, or run with s or file: for an "
    "unattended job)\n";

// True when an argument is "s..." or "file:..." as the command line reads them, or the command
// line ends in a registration switch.
bool AsksForUnattendedRun(const std::vector<std::string>& args);

// From the arguments and the environment variables DISPLAY, WAYLAND_DISPLAY and
// QT_QPA_PLATFORM (null or empty when unset). A platform chosen explicitly is kept.
DisplayChoice ChooseDisplay(const std::vector<std::string>& args, const char* display,
                            const char* waylandDisplay, const char* qtPlatform);

}  // namespace kestrel
