// The console as an operator leaves it running: Ventrix mode, Debug Mode on so the log pane
// shows the traffic, a capture nearly full from the start, the printer polled every 100 ms. It
// runs on the offscreen platform for the given time and prints the process's CPU use over that
// time, and its resident memory and open descriptors at the start and at the end.
//
// Run: scripts/soak.sh MINUTES, or by hand against a running simulator:
//   QT_QPA_PLATFORM=offscreen build/bench/console_soak 127.0.0.1:9100 60 [MODE]
// MODE "packets": the session recording and the packet view's rows run beside the console;
// "packets-shown" the view is shown too; "debug-off" leaves Debug Mode off, so the log pane
// is never shown: what the polling costs without any painting of the log.

#include <dirent.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "HarnessSupport.h"
#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "support/ConsoleDoubles.h"
#include "ui/QtDialogHost.h"
#include "ui/SessionPackets.h"

namespace kestrel {
namespace {

constexpr int kPrefilledRecords = 14000;
constexpr int kWarmUpMs = 2000;

struct Sample {
    double cpuSeconds = 0;
    double wallSeconds = 0;
    long residentKb = 0;
    int descriptors = 0;
};

Sample TakeSample() {
    Sample sample;
    sample.cpuSeconds = bench::CpuSeconds("self");
    sample.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            sample.residentKb = std::atol(line.c_str() + 6);
        }
    }
    if (DIR* folder = opendir("/proc/self/fd")) {
        while (readdir(folder) != nullptr) {
            ++sample.descriptors;
        }
        closedir(folder);
        sample.descriptors -= 3;  // ".", ".." and the listing's own descriptor
    }
    return sample;
}

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
    using namespace kestrel;
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: console_soak HOST:PORT SECONDS [packets|packets-shown|debug-off]\n");
        return 2;
    }
    const std::string address = argv[1];
    const int seconds = std::atoi(argv[2]);
    const std::filesystem::path folder = bench::EnterScratchFolder("kestrel-soak");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QApplication application(argc, argv);
    int exitCode = 0;
    {
        CKestrelApp app({"ventrix"});
        QtDialogHost host(ConsoleTemplate());
        std::unique_ptr<SessionPackets> packets;
        const std::string extra = argc == 4 ? argv[3] : "";
        if (extra == "packets" || extra == "packets-shown") {
            packets = std::make_unique<SessionPackets>(app, host);
            packets->ShowView(extra == "packets-shown");
        }
        testing::UnchangedPriority priority;
        CKestrelDlg console(app, priority);
        app.m_console = &console;
        Sample start;
        QTimer::singleShot(0, [&] {
            for (int record = 0; record < kPrefilledRecords; ++record) {
                app.m_capture.Record(static_cast<uint8_t>(record), app.GetClock().GetTickCount(),
                                     record % 2 == 0 ? TrafficSent : TrafficReceived);
            }
            host.CheckButton(IDC_VENTRIXMODE, 1);
            console.OnCommand(IDC_VENTRIXMODE, kBnClicked);
            if (extra != "debug-off") {
                host.CheckButton(IDC_DEBUGMODE, 1);
                console.OnCommand(IDC_DEBUGMODE, kBnClicked);
            }
            app.m_portName = address;
            console.OnCommand(IDC_COMM, kBnClicked);
            if (!console.m_portOpen) {
                std::fprintf(stderr, "console_soak: cannot open %s\n", address.c_str());
                exitCode = 1;
                host.EndDialog(kIdCancel);
                return;
            }
            host.SetItemText(IDC_POLLCOMBO, "<0x02><0x12>");
            host.SetItemText(IDC_POLLINTERVAL, "100");
            console.OnCommand(IDC_POLLBUTTON, kBnClicked);
        });
        QTimer::singleShot(kWarmUpMs, [&] { start = TakeSample(); });
        QTimer::singleShot(kWarmUpMs + seconds * 1000, [&] {
            const Sample end = TakeSample();
            const double cpu =
                100.0 * (end.cpuSeconds - start.cpuSeconds) / (end.wallSeconds - start.wallSeconds);
            std::printf("seconds %.0f\n", end.wallSeconds - start.wallSeconds);
            std::printf("cpu_percent_of_one_core %.2f\n", cpu);
            std::printf("resident_kb start %ld end %ld\n", start.residentKb, end.residentKb);
            std::printf("descriptors start %d end %d\n", start.descriptors, end.descriptors);
            std::printf("traffic_records %d\n", app.m_capture.m_trafficCount);
            host.EndDialog(kIdCancel);
        });
        host.RunModal(console);
        app.m_console = nullptr;
    }
    std::filesystem::remove_all(folder);
    return exitCode;
}
