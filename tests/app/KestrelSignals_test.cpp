// The kestrel program asked to end by SIGINT, SIGTERM or SIGHUP while it runs: the console
// closes as Exit does (comm log, console values and PortName saved, status 0); a second signal
// during the close ends it at once; a file job cut short sends whole packets only and ends with 1.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "app/AppTestFixture.h"
#include "platform/TerminationSignals.h"
#include "support/FileBytes.h"
#include "support/KestrelProgram.h"
#include "support/SimProcess.h"

namespace kestrel {
namespace {

using testing::ReadFileBytes;

constexpr std::chrono::milliseconds kWait{15000};
// About 12 ms a line in Ventrix mode: the whole ticket would take far longer than kWait.
constexpr size_t kLongTicketLines = 2000;

struct SignalCase {
    const char* name;
    int signal;
    bool job;           // a long file job with exit to the simulator; else the silent console
    bool againInClose;  // once more after the close began
    int exitCode;       // -1: ended by the signal itself
};

class KestrelSignals : public testing::AppTest, public ::testing::WithParamInterface<SignalCase> {
  protected:
    std::string Log() { return ReadFileBytes(m_folder.File("Kestrel.log")); }
    std::vector<std::vector<uint8_t>> Packets() {
        return testing::SplitVentrixPackets(testing::RecordedBytes(m_folder.File("rec.txt"), "rx"));
    }
    static bool WaitFor(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }
};

TEST_P(KestrelSignals, EndTheProgramAsExitDoes) {
    const SignalCase& c = GetParam();
    std::string ticket;
    for (size_t i = 0; i < kLongTicketLines; ++i) {
        ticket += "<0x02><0x04>LINE " + std::to_string(i) + "\r\n";
    }
    testing::WriteFileBytes(m_folder.File("long.dmo"), ticket);
    testing::SimProcess sim(VANTOR_SIM_BINARY, m_folder.File("rec.txt"));
    ASSERT_TRUE(sim.Started());
    const std::string port = c.job ? sim.TcpAddress() : "COM7";
    const std::vector<std::string> args =
        c.job ? std::vector<std::string>{"ventrix", "port:" + port, "file:long.dmo", "exit"}
              : std::vector<std::string>{"s", "port:" + port};
    testing::ChildProcess program(KESTREL_BINARY, testing::KestrelProgramOptions(m_folder, args));
    // The banner comes after the handlers are in place; a job is signalled part way through.
    ASSERT_TRUE(WaitFor([&] { return Log().find("Application Invoked.") != std::string::npos; }));
    ASSERT_TRUE(!c.job || WaitFor([&] { return Packets().size() > 3; }));
    program.Signal(c.signal);
    if (c.againInClose) {
        ASSERT_TRUE(WaitFor([&] { return Log().find("the console closes") != std::string::npos; }));
        program.Signal(c.signal);
    }
    const int exitCode = program.WaitExit(kWait);
    const std::string errors = ReadFileBytes(m_folder.File("stderr.txt"));
    if (c.exitCode < 0) {
        EXPECT_EQ(program.EndingSignal(), c.signal) << errors;
        return;
    }
    ASSERT_EQ(exitCode, c.exitCode) << errors;
    EXPECT_EQ(Stored("PortName"), port);
    if (c.job) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the last bytes' way
        const auto packets = Packets();
        EXPECT_LT(packets.size(), kLongTicketLines);
        for (const std::vector<uint8_t>& packet : packets) {
            EXPECT_TRUE(packet.size() >= 3 && packet.size() == packet[2]);  // never split
        }
        EXPECT_NE(errors.find("kestrel: The program was asked to end;"), std::string::npos);
    } else {
        EXPECT_NE(Log().find(std::string(TerminationSignalName(c.signal)) + " received"),
                  std::string::npos);
        EXPECT_NE(Stored("CmdSave"), "<missing>");  // the console's values
        const std::string saved = m_folder.File("data/Norvane/Kestrel/KestrelCommData.rtf");
        EXPECT_EQ(ReadFileBytes(saved).rfind("{\\rtf", 0), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, KestrelSignals,
                         ::testing::Values(SignalCase{"Interrupt", SIGINT, false, false, 0},
                                           SignalCase{"Terminate", SIGTERM, false, false, 0},
                                           SignalCase{"HangUp", SIGHUP, false, false, 0},
                                           SignalCase{"InterruptTwice", SIGINT, false, true, -1},
                                           SignalCase{"TerminateTheJob", SIGTERM, true, false, 1}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kestrel
