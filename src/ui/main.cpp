// The kestrel program: answers --help and --version; otherwise creates the Qt application (on
// the offscreen platform for an unattended job without a display), then the application object,
// runs its instance initialisation and exit, and ends with the exit code.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandLineHelp.h"
#include "console/DesktopStart.h"
#include "platform/TerminationSignals.h"
#include "ui/DisplayChoice.h"
#include "ui/PlaybackWindow.h"
#include "ui/QtKestrelApp.h"
#include "ui/SerialSettingsDialog.h"
#include "ui/TerminationSignalNotifier.h"

int main(int argc, char** argv) {
    // Before anything that a signal could cut short: from here on one closes the console.
    kestrel::InstallTerminationSignals();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (const std::optional<std::string> information = kestrel::InformationRequest(args)) {
        std::fputs(information->c_str(), stdout);
        return kestrel::kExitSuccess;
    }
    switch (kestrel::ChooseDisplay(args, std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                   std::getenv("QT_QPA_PLATFORM"))) {
        case kestrel::DisplayChoice::NoDisplay:
            std::fputs(kestrel::kNeedsDisplayMessage, stderr);
            return kestrel::kExitNoDisplay;
        case kestrel::DisplayChoice::Offscreen:
            qputenv("QT_QPA_PLATFORM", "offscreen");
            break;
        case kestrel::DisplayChoice::Display:
            break;
    }
    // Playback works where it was started: the recording may be named relative to it.
    const std::optional<std::string> recording = kestrel::ReplayRequest(args);
    if (!recording) {
        // Kestrel.log and the demo tickets are found in the current directory, so this comes
        // before the application object writes its banner.
        const std::string folderProblem = kestrel::ChooseWorkingFolder(args);
        if (!folderProblem.empty()) {
            std::fprintf(stderr, "kestrel: %s\n", folderProblem.c_str());
        }
    }
    QApplication application(argc, argv);
    kestrel::TerminationSignalNotifier signalNotifier;
    if (recording) {
        return kestrel::RunPlayback(*recording, signalNotifier);
    }
    // The command-line parse in the application object's constructor may already need it.
    kestrel::SerialSettingsDialog serialSettings;
    kestrel::PortEnvironment portEnvironment;
    portEnvironment.configDialog = &serialSettings;
    int exitCode = kestrel::kExitSuccess;
    {
        kestrel::QtKestrelApp app(std::move(args), std::move(portEnvironment), signalNotifier);
        app.InitInstance();
        exitCode = app.ExitInstance();
    }
    return exitCode;
}
