// The folder a console harness runs in: a fresh one under the temporary folder, made the
// current directory, holding the settings file and the data folder, so no run touches the
// user's files. Qt's offscreen platform unless another was chosen.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kestrel::bench {

inline std::filesystem::path EnterHarnessFolder(const std::string& prefix) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (prefix + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    setenv("KESTREL_SETTINGS", (folder / "settings.reg").c_str(), 1);
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    return folder;
}

}  // namespace kestrel::bench
