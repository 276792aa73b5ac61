// unrtf (Debian package unrtf), an RTF reader that is not ours, for reading saved logs back.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

namespace kestrel::testing {

inline bool UnrtfInstalled() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (access((folder + "/unrtf").c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

// What unrtf writes for the file in the given form ("--text" or "--html").
inline std::string Unrtf(const std::string& form, const std::string& path) {
    constexpr size_t kMaxOutput = 1 << 20;
    const std::string command = "unrtf " + form + " '" + path + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    if (!pipe) {
        return output;
    }
    char chunk[4096];
    size_t n = 0;
    while (output.size() < kMaxOutput && (n = fread(chunk, 1, sizeof chunk, pipe.get())) > 0) {
        output.append(chunk, n);
    }
    return output;
}

}  // namespace kestrel::testing
