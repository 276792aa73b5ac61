// The kestrel program as the tests run it: in the test's scratch folder, which is its current
// directory, holds its settings file and is its data folder, without any display, with
// standard error in stderr.txt there.
#pragma once

#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/ScratchFolder.h"

namespace kestrel::testing {

inline ChildProcess::Options KestrelProgramOptions(const ScratchFolder& folder,
                                                   std::vector<std::string> args) {
    ChildProcess::Options options;
    options.args = std::move(args);
    options.workingFolder = folder.Path();
    options.errorFile = folder.File("stderr.txt");
    options.environment = {
        {"KESTREL_SETTINGS", folder.File("settings.reg")},
        {"XDG_DATA_HOME", folder.File("data")},
        {"XDG_STATE_HOME", folder.File("state")},  // session recordings
        {"DISPLAY", std::nullopt},
        {"WAYLAND_DISPLAY", std::nullopt},
        {"QT_QPA_PLATFORM", std::nullopt},
    };
    return options;
}

}  // namespace kestrel::testing
