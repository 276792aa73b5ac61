#include "platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kestrel {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return (entry != nullptr && entry->pw_dir != nullptr) ? entry->pw_dir : "";
}

std::string XdgBaseFolder(const char* variable, const char* defaultUnderHome) {
    const char* folder = std::getenv(variable);
    if (folder != nullptr && folder[0] == '/') {
        return folder;
    }
    const std::string home = HomeFolder();
    return home.empty() ? "" : home + "/" + defaultUnderHome;
}

}  // namespace kestrel
