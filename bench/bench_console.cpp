// One status read tick of the console in Ventrix mode with one status packet waiting on its
// serial port (a pseudo-terminal): the tick takes the packet byte by byte, decodes it into the
// status boxes and compacts the buffer. The tick itself prescribes its waits: up to 1 ms for the
// first byte (none here: the packet is waiting) and 30 ms for the read that finds no further
// byte. The counter "beyond_waits_ms" is the median time the tick spent beyond those waits; the
// CPU column is the work the tick does.
//
// Run: build/bench/bench_console   (it works in a temporary folder and settings file of its own)

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "platform/SettingsKey.h"
#include "status/VentrixPacket.h"
#include "support/ConsoleDoubles.h"
#include "support/FakeCommLogPane.h"
#include "support/FakeDialogHost.h"

namespace kestrel {
namespace {

constexpr double kPrescribedWaitsMs = 30.0;

// A status packet as the printer sends it: fields separated by "|", the five status bytes
// after the third, every bit clear but Paper in Chute (a bit that is shown, not logged).
std::vector<uint8_t> StatusPacket() {
    const std::string fields = "V60|FW 1.0|SN 42|";
    std::vector<uint8_t> payload(fields.begin(), fields.end());
    for (const int status : {0x00, 0x00, 0x08, 0x00, 0x00}) {
        payload.push_back(static_cast<uint8_t>(status));
        payload.push_back(0x20);
    }
    return BuildVentrixPacket(0x12, payload);
}

void BM_ReadTickWithStatusPacket(benchmark::State& state) {
    const std::string folder = std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX";
    std::string path = folder;
    if (mkdtemp(path.data()) == nullptr) {
        state.SkipWithError("cannot make a scratch folder");
        return;
    }
    std::filesystem::current_path(path);
    setenv("KESTREL_SETTINGS", (path + "/settings.reg").c_str(), 1);

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(master);
    unlockpt(master);
    char name[128] = {};
    ptsname_r(master, name, sizeof name);
    SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::Create)
        ->SetString("COM5", name, std::strlen(name) + 1);

    testing::FakeDialogHost host;
    testing::FakeCommLogPane pane;
    host.m_logPane = &pane;
    testing::UnchangedPriority priority;
    auto app = std::make_unique<CKestrelApp>(std::vector<std::string>{"ventrix"});
    auto console = std::make_unique<CKestrelDlg>(*app, priority);
    console->Attach(host);
    console->OnInitDialog();
    host.CheckButton(IDC_VENTRIXMODE, 1);
    console->OnCommand(IDC_VENTRIXMODE, kBnClicked);
    app->m_portName = "COM5";
    console->OnCommand(IDC_COMM, kBnClicked);
    if (!console->m_portOpen) {
        state.SkipWithError(("COM5 did not open: " + app->m_ioComm.m_lastError).c_str());
        return;
    }
    const int near = static_cast<int>(app->m_ioComm.m_handle);
    const std::vector<uint8_t> packet = StatusPacket();

    std::vector<double> beyond;
    for (auto _ : state) {
        state.PauseTiming();
        if (write(master, packet.data(), packet.size()) != static_cast<ssize_t>(packet.size())) {
            state.SkipWithError("write to the pseudo-terminal failed");
            break;
        }
        int waiting = 0;
        while (ioctl(near, FIONREAD, &waiting) == 0 && waiting < static_cast<int>(packet.size())) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        console->OnTimer(TIMER_STATUS_READ);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        beyond.push_back(took.count() - kPrescribedWaitsMs);
    }
    std::sort(beyond.begin(), beyond.end());
    state.counters["beyond_waits_ms"] = beyond.empty() ? 0.0 : beyond[beyond.size() / 2];
    state.counters["paper_in_chute_box"] = host.IsButtonChecked(1085);
    state.counters["fill"] = console->m_status.m_statusFill;
    state.counters["traffic"] = app->m_capture.m_trafficCount;

    console.reset();
    app.reset();
    close(master);
    std::filesystem::remove_all(path);
}
BENCHMARK(BM_ReadTickWithStatusPacket)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
