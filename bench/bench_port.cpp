// The status read loop takes its bytes one Receive at a time: 1,000 one-byte Receive calls on a
// pseudo-terminal holding 1,000 bytes are measured against 1,000 plain one-byte reads of the
// same descriptor (goal: within 2.5 times). A 1 MB Output over loopback TCP is measured against
// a plain send loop on the same socket (goal: at least 0.9 times its throughput). Ventrix packets
// to vantor-sim over loopback TCP: 200 Transmit calls of a 40-byte command and 200 of a status
// request (whose reply is read between packets, as the poll tick does), each reporting the
// median time of one Transmit and its ratio to the fixed waits of 12 ms (goal: within 1.1).
//
// Run: build/bench/bench_port   (it works in a temporary folder and settings file of its own,
// and starts build/sim/vantor-sim itself)

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
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
#include "platform/SettingsKey.h"
#include "port/LoopbackPrinter.h"
#include "status/VentrixPacket.h"
#include "support/SimProcess.h"

namespace kestrel {
namespace {

constexpr int kWaitingBytes = 1000;
constexpr size_t kOutputBytes = 1 << 20;

// A pseudo-terminal whose near end is COM5 of an application, with 1,000 bytes made to wait.
class PtyReceiveBench {
  public:
    PtyReceiveBench() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(m_master);
        unlockpt(m_master);
        char name[128] = {};
        ptsname_r(m_master, name, sizeof name);
        auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::Create);
        key->SetString("COM5", name, std::strlen(name) + 1);
        m_app = std::make_unique<CKestrelApp>(std::vector<std::string>{});
        m_app->m_portName = "COM5";
        m_app->OpenSelectedPort();
        m_app->m_ioComm.SetTimeouts(1, 0);  // as the status read tick does
    }
    ~PtyReceiveBench() {
        m_app.reset();
        close(m_master);
    }

    bool Ready() const { return m_app->m_ioComm.m_handle >= 0; }
    int Descriptor() const { return static_cast<int>(m_app->m_ioComm.m_handle); }
    CKestrelApp& App() { return *m_app; }

    // Puts 1,000 bytes into the near end's input queue and waits until all have arrived.
    void Fill() {
        std::vector<uint8_t> bytes(kWaitingBytes, 0x5A);
        if (write(m_master, bytes.data(), bytes.size()) != kWaitingBytes) {
            return;
        }
        int waiting = 0;
        for (int round = 0; round < 1000 && waiting < kWaitingBytes; ++round) {
            ioctl(Descriptor(), FIONREAD, &waiting);
            if (waiting < kWaitingBytes) {
                poll(nullptr, 0, 1);
            }
        }
        m_app->m_capture.Clear();  // keep the capture from emptying itself mid-run
    }

  private:
    int m_master = -1;
    std::unique_ptr<CKestrelApp> m_app;
};

// Made on first use, ended by main while its folder still exists.
std::unique_ptr<PtyReceiveBench> g_ptyFixture;

PtyReceiveBench& PtyFixture() {
    if (!g_ptyFixture) {
        g_ptyFixture = std::make_unique<PtyReceiveBench>();
    }
    return *g_ptyFixture;
}

// 1,000 one-byte reads per iteration, each by `readOne`, with the bytes put in place untimed.
template <typename ReadOne>
void RunOneByteReads(benchmark::State& state, ReadOne readOne) {
    PtyReceiveBench& fixture = PtyFixture();
    if (!fixture.Ready()) {
        state.SkipWithError("COM5 did not open");
        return;
    }
    uint8_t byte = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.Fill();
        state.ResumeTiming();
        for (int i = 0; i < kWaitingBytes; ++i) {
            benchmark::DoNotOptimize(readOne(fixture, &byte));
        }
    }
    state.SetItemsProcessed(state.iterations() * kWaitingBytes);
}

void BM_ReceiveOneByteAtATime(benchmark::State& state) {
    RunOneByteReads(state, [](PtyReceiveBench& fixture, uint8_t* byte) {
        return fixture.App().Receive(byte, 1);
    });
}
BENCHMARK(BM_ReceiveOneByteAtATime);

void BM_PlainOneByteReads(benchmark::State& state) {
    RunOneByteReads(state, [](PtyReceiveBench& fixture, uint8_t* byte) {
        return read(fixture.Descriptor(), byte, 1);
    });
}
BENCHMARK(BM_PlainOneByteReads);

// A loopback printer that reads and discards everything, and a port connected to it.
class TcpOutputBench {
  public:
    TcpOutputBench() : m_data(kOutputBytes, 0xA5) {
        m_port = std::make_unique<IOComm>();
        m_port->Open(m_printer.Address(), "", 0);
        m_port->SetTimeouts(1000, 10);  // as before a ticket or file is sent
        if (m_printer.Accept()) {
            m_reader = std::thread([this] { m_printer.DrainUntilClosed(); });
        }
    }
    ~TcpOutputBench() {
        m_port->Close();
        if (m_reader.joinable()) {
            m_reader.join();
        }
    }

    bool Ready() const { return m_port->m_socket >= 0; }
    IOComm& Port() { return *m_port; }
    const std::vector<uint8_t>& Data() const { return m_data; }

  private:
    std::vector<uint8_t> m_data;
    testing::LoopbackPrinter m_printer;
    std::thread m_reader;
    std::unique_ptr<IOComm> m_port;
};

std::unique_ptr<TcpOutputBench> g_tcpFixture;

TcpOutputBench& TcpFixture() {
    if (!g_tcpFixture) {
        g_tcpFixture = std::make_unique<TcpOutputBench>();
    }
    return *g_tcpFixture;
}

void BM_Output1MbOverTcp(benchmark::State& state) {
    TcpOutputBench& fixture = TcpFixture();
    if (!fixture.Ready()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    for (auto _ : state) {
        fixture.Port().Output(fixture.Data().data(), static_cast<int>(kOutputBytes));
        if (fixture.Port().m_bytesWritten != static_cast<int>(kOutputBytes)) {
            state.SkipWithError("Output fell short");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kOutputBytes));
}
BENCHMARK(BM_Output1MbOverTcp)->UseRealTime();

void BM_PlainSendLoop1Mb(benchmark::State& state) {
    TcpOutputBench& fixture = TcpFixture();
    if (!fixture.Ready()) {
        state.SkipWithError("no loopback connection");
        return;
    }
    const int fd = fixture.Port().m_socket;
    for (auto _ : state) {
        size_t sent = 0;
        while (sent < kOutputBytes) {
            const ssize_t n =
                send(fd, fixture.Data().data() + sent, kOutputBytes - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                break;
            }
            sent += static_cast<size_t>(n);
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kOutputBytes));
}
BENCHMARK(BM_PlainSendLoop1Mb)->UseRealTime();

constexpr int kPackets = 200;
constexpr int kCommandBytes = 40;
constexpr double kFixedWaitsMs = 12.0;
constexpr uint8_t kTicketDataType = 0x01;
constexpr uint8_t kStatusRequestType = 0x12;
constexpr int kReplyReads = 50;

using Millis = std::chrono::duration<double, std::milli>;

class VentrixBench {
  public:
    VentrixBench() {
        if (!m_sim.Started()) {
            return;
        }
        m_app = std::make_unique<CKestrelApp>(std::vector<std::string>{});
        m_app->m_portName = m_sim.TcpAddress();
        m_ready = m_app->OpenSelectedPort() == 1;
    }

    bool Ready() const { return m_ready; }

    // The time of each Transmit of `packet`; replies are read between packets, untimed.
    std::vector<double> Run(const std::vector<uint8_t>& packet, bool readReply) {
        std::vector<double> times;
        uint8_t reply[256];
        for (int i = 0; i < kPackets; ++i) {
            const auto start = std::chrono::steady_clock::now();
            m_app->Transmit(packet.data(), static_cast<int>(packet.size()), 1);
            times.push_back(Millis(std::chrono::steady_clock::now() - start).count());
            m_app->m_ioComm.SetTimeouts(100, 0);
            for (int read = 0; readReply && read < kReplyReads; ++read) {
                if (m_app->Receive(reply, static_cast<int>(sizeof reply)) > 0) {
                    break;
                }
            }
            m_app->m_capture.Clear();
        }
        return times;
    }

  private:
    testing::SimProcess m_sim{VANTOR_SIM_BINARY};
    std::unique_ptr<CKestrelApp> m_app;
    bool m_ready = false;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void RunPackets(benchmark::State& state, const std::vector<uint8_t>& packet, bool readReply) {
    VentrixBench bench;
    if (!bench.Ready()) {
        state.SkipWithError("vantor-sim did not start or the connection failed");
        return;
    }
    std::vector<double> medians;
    for (auto _ : state) {
        medians.push_back(Median(bench.Run(packet, readReply)));
    }
    const double median = Median(medians);
    state.counters["median_ms"] = median;
    state.counters["ratio_to_12ms"] = median / kFixedWaitsMs;
    state.counters["packets"] = static_cast<double>(kPackets);
}

void BM_VentrixCommand40BytesToSim(benchmark::State& state) {
    std::vector<uint8_t> command(kCommandBytes, 'A');
    command[0] = kVentrixStartByte;
    command[1] = kTicketDataType;
    RunPackets(state, command, false);
}
BENCHMARK(BM_VentrixCommand40BytesToSim)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_VentrixStatusRequestToSim(benchmark::State& state) {
    RunPackets(state, {kVentrixStartByte, kStatusRequestType}, true);
}
BENCHMARK(BM_VentrixStatusRequestToSim)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
    // A folder of its own for Kestrel.log and the settings, removed afterwards.
    std::string folder = (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        return 1;
    }
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    setenv("KESTREL_SETTINGS", (folder + "/settings.reg").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    kestrel::g_ptyFixture.reset();
    kestrel::g_tcpFixture.reset();
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
