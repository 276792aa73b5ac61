// The command-line file job as a script runs it: `kestrel ventrix port:ADDRESS file:t.dmo exit`
// with a 20-line ticket against vantor-sim over loopback TCP, measured from the process's start
// to its exit, the 600 ms the application waits at its end included (goal: at most 1.0 s;
// compare the median of the 10 repetitions). No display is used. A run that does not end with 0
// or whose packets do not all arrive stops the benchmark with an error.
//
// Run: build/bench/bench_job
// (KESTREL_PROGRAM=path measures another build of the program.)

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/ChildProcess.h"
#include "support/FileBytes.h"
#include "support/KestrelProgram.h"
#include "support/ScratchFolder.h"
#include "support/SimProcess.h"

namespace kestrel {
namespace {

constexpr int kTicketLines = 20;
constexpr int kRepetitions = 10;
constexpr std::chrono::milliseconds kProgramWait{20000};

std::string TicketText() {
    std::string text;
    for (int line = 1; line <= kTicketLines; ++line) {
        text += "<0x02><0x04>LINE " + std::to_string(line) + " OF THE BENCHMARK TICKET[CR][LF]\r\n";
    }
    return text;
}

std::string Program() {
    const char* chosen = std::getenv("KESTREL_PROGRAM");
    return chosen != nullptr && chosen[0] != '\0' ? chosen : KESTREL_BINARY;
}

void BM_FileJobStartToExit(benchmark::State& state) {
    testing::ScratchFolder folder;
    testing::WriteFileBytes(folder.File("t.dmo"), TicketText());
    testing::SimProcess sim(VANTOR_SIM_BINARY, folder.File("record.txt"));
    if (!sim.Started()) {
        state.SkipWithError("vantor-sim did not start");
        return;
    }
    const testing::ChildProcess::Options options = testing::KestrelProgramOptions(
        folder, {"ventrix", "port:" + sim.TcpAddress(), "file:t.dmo", "exit"});
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        testing::ChildProcess program(Program(), options);
        const int exitCode = program.WaitExit(kProgramWait);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (exitCode != 0) {
            state.SkipWithError("kestrel did not end with 0");
            return;
        }
    }
    // Every packet of the run has reached the simulator.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const size_t packets =
        testing::SplitVentrixPackets(testing::RecordedBytes(folder.File("record.txt"), "rx"))
            .size();
    if (packets != static_cast<size_t>(kTicketLines) * state.iterations()) {
        state.SkipWithError("not every packet of the ticket arrived");
    }
}

BENCHMARK(BM_FileJobStartToExit)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(kRepetitions);

}  // namespace
}  // namespace kestrel

BENCHMARK_MAIN();
