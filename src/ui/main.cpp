// The kestrel program: answers --help and --version, otherwise builds the application object,
// runs its instance initialisation and exit, and ends with the exit code.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CKestrelApp.h"
#include "app/CommandLineHelp.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (const std::optional<std::string> information = kestrel::InformationRequest(args)) {
        std::fputs(information->c_str(), stdout);
        return 0;
    }
    int exitCode = 0;
    {
        kestrel::CKestrelApp app(std::move(args));
        app.InitInstance();
        exitCode = app.ExitInstance();
    }
    return exitCode;
}
