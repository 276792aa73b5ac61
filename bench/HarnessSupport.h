// What the console harnesses (console_soak, stream_bench) share: a scratch folder of their own
// for every file the console writes, and the CPU time of a process.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kestrel::bench {

// Makes /tmp/PREFIX-PID the current folder and the home of the settings, data and state files.
inline std::filesystem::path EnterScratchFolder(const std::string& prefix) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    setenv("KESTREL_SETTINGS", (folder / "settings.reg").c_str(), 1);
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    setenv("XDG_STATE_HOME", folder.c_str(), 1);
    return folder;
}

// User and system CPU seconds of a process ("self" or a pid), from /proc/PID/stat.
inline double CpuSeconds(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string all;
    std::getline(stat, all);
    const size_t close = all.rfind(')');  // the command name may hold blanks
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream fields(all.substr(close + 2));
    std::string field;
    double seconds = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14 || index == 15) {  // utime, stime in clock ticks
            seconds += std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
        }
    }
    return seconds;
}

}  // namespace kestrel::bench
