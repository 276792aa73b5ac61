#include "app/DesktopEntry.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>

#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"
#include "platform/UserFolders.h"

namespace kestrel {
namespace {

constexpr std::string_view kSwitchCharacters = "-/";
constexpr std::string_view kSafeExecCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+";

std::string RunningExecutable() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : "kestrel";
}

// The Exec key's quoting: an argument with reserved characters goes in double quotes with
// `"`, `` ` ``, `$` and `\` escaped, and every backslash is doubled again for the key's value.
std::string QuoteExec(const std::string& path) {
    if (path.find_first_not_of(kSafeExecCharacters) == std::string::npos) {
        return path;
    }
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += "\\\\";
        }
        if (c == '\n' || c == '\r') {
            continue;  // a line break would end the key
        }
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

RegistrationSwitch FindRegistrationSwitch(const std::string& commandLine) {
    for (size_t at = commandLine.find_first_of(kSwitchCharacters); at != std::string::npos;
         at = commandLine.find_first_of(kSwitchCharacters, at + 1)) {
        if (at > 0 && commandLine[at - 1] != ' ') {
            continue;  // inside an argument, such as a path: not typed as a switch
        }
        const std::string_view rest = std::string_view(commandLine).substr(at + 1);
        if (EqualsNoCase(rest, "UnregServer")) {
            return RegistrationSwitch::Unregister;
        }
        if (EqualsNoCase(rest, "RegServer")) {
            return RegistrationSwitch::Register;
        }
    }
    return RegistrationSwitch::None;
}

std::string DesktopEntryPath() {
    const std::string base = XdgBaseFolder("XDG_DATA_HOME", ".local/share");
    return base.empty() ? "" : base + "/applications/" + kDesktopEntryName;
}

std::string DesktopEntryText(const std::string& executable) {
    return "[Desktop Entry]\n"
           "# Started from here, Kestrel works in $XDG_DATA_HOME/Norvane/Kestrel/demo\n"
           "# (~/.local/share/...), made from the installed demo folder on the first start:\n"
           "# the demo tickets, the help page and Kestrel.log are there.\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name=Kestrel\n"
           "GenericName=Ticket printer console\n"
           "Comment=Operator and diagnostic console of the Vantor 60 ticket printer\n"
           "Exec=" +
           QuoteExec(executable) +
           "\n"
           "Icon=kestrel\n"
           "Terminal=false\n"
           "Categories=Utility;\n"
           "Keywords=printer;ticket;serial;diagnostic;\n";
}

bool InstallDesktopEntry() {
    const std::string path = DesktopEntryPath();
    if (path.empty()) {
        return false;
    }
    const std::string folder = path.substr(0, path.rfind('/'));
    return MakeFolders(folder) && WriteFileAtomically(path, DesktopEntryText(RunningExecutable()));
}

bool RemoveDesktopEntry() {
    const std::string path = DesktopEntryPath();
    return !path.empty() && (unlink(path.c_str()) == 0 || errno == ENOENT);
}

}  // namespace kestrel
