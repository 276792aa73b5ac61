// vantor-sim: a simulated Vantor 60 ticket printer for the Kestrel console.
#include <csignal>
#include <cstdio>
#include <string>

#include "sim/SimOptions.h"
#include "sim/SimServer.h"

namespace {

kestrel::SimServer* g_server = nullptr;

extern "C" void OnStopSignal(int) {
    if (g_server != nullptr) {
        g_server->RequestStop();
    }
}

void PrintLine(std::FILE* stream, const std::string& text) {
    std::fprintf(stream, "%s\n", text.c_str());
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    kestrel::SimOptions options;
    std::string error;
    if (!kestrel::ParseSimOptions(argc, argv, options, error)) {
        PrintLine(stderr, "vantor-sim: " + error);
        return 2;
    }
    if (options.help) {
        std::fputs(kestrel::SimUsage().c_str(), stdout);
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);

    kestrel::SimServer server(
        options, [](const std::string& text) { PrintLine(stdout, text); },
        [](const std::string& text) { PrintLine(stderr, text); });
    if (!server.Open(error)) {
        PrintLine(stderr, "vantor-sim: " + error);
        return 1;
    }
    g_server = &server;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::fputs(server.ListeningText().c_str(), stdout);
    std::fflush(stdout);
    server.Run();
    g_server = nullptr;
    return 0;
}
