// The kestrel program: answers --help and --version; otherwise creates the Qt application (on
// the offscreen platform for an unattended job without a display), then the application object,
// runs its instance initialisation and exit, and ends with the exit code.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandLineHelp.h"
#include "ui/DisplayChoice.h"
#include "ui/PlaybackWindow.h"
#include "ui/QtKestrelApp.h"
#include "ui/SerialSettingsDialog.h"

namespace {

constexpr int kNoDisplayExitCode = 2;

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (const std::optional<std::string> information = kestrel::InformationRequest(args)) {
        std::fputs(information->c_str(), stdout);
        return 0;
    }
    switch (kestrel::ChooseDisplay(args, std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                   std::getenv("QT_QPA_PLATFORM"))) {
        case kestrel::DisplayChoice::NoDisplay:
            std::fputs(kestrel::kNeedsDisplayMessage, stderr);
            return kNoDisplayExitCode;
        case kestrel::DisplayChoice::Offscreen:
            qputenv("QT_QPA_PLATFORM", "offscreen");
            break;
        case kestrel::DisplayChoice::Display:
            break;
    }
    QApplication application(argc, argv);
    if (const std::optional<std::string> recording = kestrel::ReplayRequest(args)) {
        return kestrel::RunPlayback(*recording);
    }
    // The command-line parse in the application object's constructor may already need it.
    kestrel::SerialSettingsDialog serialSettings;
    kestrel::PortEnvironment portEnvironment;
    portEnvironment.configDialog = &serialSettings;
    int exitCode = 0;
    {
        kestrel::QtKestrelApp app(std::move(args), std::move(portEnvironment));
        app.InitInstance();
        exitCode = app.ExitInstance();
    }
    return exitCode;
}
