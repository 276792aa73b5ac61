#include "platform/CurrentDirectory.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kestrel {

std::string CurrentDirectory() {
    // Paths have no fixed limit: grow the buffer until the name fits.
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

bool ChangeCurrentDirectory(const std::string& path) {
    return !path.empty() && chdir(path.c_str()) == 0;
}

}  // namespace kestrel
