#include "ui/DisplayChoice.h"

#include "app/DesktopEntry.h"
#include "platform/AsciiText.h"

namespace kestrel {
namespace {

bool IsSet(const char* value) {
    return value != nullptr && value[0] != '\0';
}

}  // namespace

bool AsksForUnattendedRun(const std::vector<std::string>& args) {
    // Registration ends before any window: it needs no display.
    std::string commandLine;
    for (const std::string& arg : args) {
        commandLine += (commandLine.empty() ? "" : " ") + arg;
    }
    if (FindRegistrationSwitch(commandLine) != RegistrationSwitch::None) {
        return true;
    }
    for (const std::string& arg : args) {
        // Flags lose their '-' or '/' before they are read, as options do.
        const std::string_view param = !arg.empty() && (arg.front() == '-' || arg.front() == '/')
                                           ? std::string_view(arg).substr(1)
                                           : std::string_view(arg);
        if (StartsWithNoCase(param, "s") || StartsWithNoCase(param, "file:")) {
            return true;
        }
    }
    return false;
}

DisplayChoice ChooseDisplay(const std::vector<std::string>& args, const char* display,
                            const char* waylandDisplay, const char* qtPlatform) {
    if (IsSet(display) || IsSet(waylandDisplay) || IsSet(qtPlatform)) {
        return DisplayChoice::Display;
    }
    return AsksForUnattendedRun(args) ? DisplayChoice::Offscreen : DisplayChoice::NoDisplay;
}

}  // namespace kestrel
