// Print of a 20-line demo ticket in Ventrix mode to the simulator over loopback TCP, timed from
// the press of Print to the last byte the simulator records. The waits the console must make
// are 20 x (10 ms before the start byte + 2 ms after it + the 22 ms pause) = 680 ms; the
// counter "ratio_to_680ms" compares the median with them (goal: at most 1.1).
//
// Run: build/bench/bench_tickets   (it works in a temporary folder and settings file of its own)

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "console/RecordedTraffic.h"
#include "sim/SimTestClient.h"
#include "status/PrinterMode.h"
#include "support/ConsoleDoubles.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using Steady = std::chrono::steady_clock;

constexpr int kTicketLines = 20;
constexpr double kPrescribedWaitsMs = kTicketLines * (10 + 2 + 22);

// The console on a fake window, its port connected to a simulator that records what arrives.
class TicketBench {
  public:
    TicketBench() {
        m_folder.EnterAsCurrentDirectory();
        m_folder.UseAsSettings();
        std::string ticket;
        for (int line = 0; line < kTicketLines; ++line) {
            ticket += "<0x02><0x05>Line " + std::to_string(line) + " [ESC]@\r\n";
        }
        std::ofstream("Twenty.dmo", std::ios::binary) << ticket;

        SimOptions options = testing::TestOptions();
        options.recordPath = m_folder.File("record.txt");
        m_sim = std::make_unique<testing::SimRunner>(options);
        m_app = std::make_unique<CKestrelApp>(std::vector<std::string>{}, m_clock);
        m_app->m_printerMode = static_cast<int>(PrinterMode::Ventrix);
        m_dlg = std::make_unique<CKestrelDlg>(*m_app, m_priority);
        m_host.m_sortedLists.insert(IDC_DEMOLIST);
        m_dlg->Attach(m_host);
        m_dlg->OnInitDialog();
        m_host.SetCurSel(IDC_DEMOLIST, m_host.FindStringExact(IDC_DEMOLIST, -1, "Twenty"));
        m_app->m_portName = m_sim->TcpAddress();
        m_dlg->m_portOpen = m_sim->Started() && m_app->OpenSelectedPort() != 0;
        CalibrateSimClock();
    }
    ~TicketBench() {
        m_dlg.reset();
        m_clock.m_skipSleeps = true;
        m_app.reset();
    }

    bool Ready() const { return m_dlg->m_portOpen && m_host.GetCurSel(IDC_DEMOLIST) >= 0; }

    // Milliseconds from Print to the last byte the simulator recorded.
    double PrintOnce() {
        const Steady::time_point pressed = Steady::now();
        m_dlg->OnPrint();
        const testing::RecordedTraffic traffic = testing::ReadRecordedTraffic(RecordPath());
        const Steady::time_point lastByte =
            m_simStart + std::chrono::milliseconds(traffic.lastReceivedMs);
        return std::chrono::duration<double, std::milli>(lastByte - pressed).count();
    }

  private:
    std::string RecordPath() const { return m_folder.File("record.txt"); }

    // Where the simulator's clock started, from a null packet sent at a known moment.
    void CalibrateSimClock() {
        const uint8_t nullPacket[] = {0x02, 0x00};
        m_app->m_ioComm.Output(nullPacket, 2);
        const Steady::time_point sent = Steady::now();
        testing::WaitUntil(
            [&] { return testing::ReadRecordedTraffic(RecordPath()).receivedBytes >= 2; });
        m_simStart = sent - std::chrono::milliseconds(
                                testing::ReadRecordedTraffic(RecordPath()).lastReceivedMs);
    }

    testing::ScratchFolder m_folder;
    testing::RealClock m_clock;
    testing::UnchangedPriority m_priority;
    testing::RecordingHost m_host;
    std::unique_ptr<testing::SimRunner> m_sim;
    std::unique_ptr<CKestrelApp> m_app;
    std::unique_ptr<CKestrelDlg> m_dlg;
    Steady::time_point m_simStart;
};

void BM_PrintTwentyLineVentrixTicket(benchmark::State& state) {
    TicketBench bench;
    if (!bench.Ready()) {
        state.SkipWithError("no simulator or ticket");
        return;
    }
    double lastMs = 0;
    for (auto _ : state) {
        lastMs = bench.PrintOnce();
        state.SetIterationTime(lastMs / 1000.0);
    }
    state.counters["ratio_to_680ms"] = lastMs / kPrescribedWaitsMs;
}
BENCHMARK(BM_PrintTwentyLineVentrixTicket)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
