// The kestrel program asked to end by SIGINT, SIGTERM or SIGHUP while it runs: the console
// closes as Exit does (comm log, console values and PortName saved, status 0); a second signal
// during the close ends it at once; a file job that a signal cuts short sends whole packets
// only, closes the port and ends with status 1.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "app/AppTestFixture.h"
#include "app/KestrelProgram.h"
#include "platform/TerminationSignals.h"
#include "support/ChildProcess.h"
#include "support/FileBytes.h"
#include "support/SimProcess.h"

namespace kestrel {
namespace {

using testing::ChildProcess;
using testing::ReadFileBytes;

constexpr std::chrono::milliseconds kProgramWait{15000};
constexpr std::chrono::milliseconds kStartWait{10000};
constexpr std::chrono::milliseconds kQuietWait{300};
// About 12 ms a line in Ventrix mode: the whole ticket would take far longer than kProgramWait.
constexpr size_t kLongTicketLines = 2000;
constexpr size_t kPacketsBeforeSignal = 3;
constexpr const char* kPortName = "COM7";

struct SignalCase {
    const char* name;
    int signal;
    bool job;           // a long file job with exit to the simulator; else the silent console
    bool againInClose;  // the same signal once more after the close began
    int exitCode;       // -1: ended by the signal itself
};

class KestrelSignals : public testing::AppTest, public ::testing::WithParamInterface<SignalCase> {
  protected:
    std::string Record() const { return m_folder.File("record.txt"); }
    std::string Log() { return ReadFileBytes(m_folder.File("Kestrel.log")); }

    static bool WaitFor(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + kStartWait;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
};

TEST_P(KestrelSignals, EndTheProgramAsExitDoes) {
    const SignalCase& c = GetParam();
    std::unique_ptr<testing::SimProcess> sim;
    std::vector<std::string> args = {"s", std::string("port:") + kPortName};
    if (c.job) {
        std::string ticket;
        for (size_t i = 0; i < kLongTicketLines; ++i) {
            ticket += "<0x02><0x04>LINE " + std::to_string(i) + "\r\n";
        }
        testing::WriteFileBytes(m_folder.File("long.dmo"), ticket);
        sim = std::make_unique<testing::SimProcess>(VANTOR_SIM_BINARY, Record());
        ASSERT_TRUE(sim->Started());
        args = {"ventrix", "port:" + sim->TcpAddress(), "file:long.dmo", "exit"};
    }
    ChildProcess program(KESTREL_BINARY, testing::KestrelProgramOptions(m_folder, args));
    // The banner comes after the handlers are in place; a job is signalled part way through.
    ASSERT_TRUE(
        WaitFor([&] { return Log().find("Kestrel Application Invoked.") != std::string::npos; }));
    if (c.job) {
        ASSERT_TRUE(WaitFor([&] {
            return testing::SplitVentrixPackets(testing::RecordedBytes(Record(), "rx")).size() >
                   kPacketsBeforeSignal;
        }));
    }
    program.Signal(c.signal);
    if (c.againInClose) {
        ASSERT_TRUE(WaitFor([&] { return Log().find("the console closes") != std::string::npos; }));
        program.Signal(c.signal);
    }
    const int exitCode = program.WaitExit(kProgramWait);
    const std::string errors = ReadFileBytes(m_folder.File("stderr.txt"));
    if (c.exitCode < 0) {
        EXPECT_EQ(program.EndingSignal(), c.signal) << errors;
        return;
    }
    ASSERT_EQ(exitCode, c.exitCode) << errors;
    if (c.job) {
        EXPECT_EQ(Stored("PortName"), sim->TcpAddress());
        std::this_thread::sleep_for(kQuietWait);
        const auto packets = testing::SplitVentrixPackets(testing::RecordedBytes(Record(), "rx"));
        EXPECT_LT(packets.size(), kLongTicketLines);
        for (const std::vector<uint8_t>& packet : packets) {
            ASSERT_GE(packet.size(), 3u);
            EXPECT_EQ(packet.size(), packet[2]);  // the signal never splits a packet
        }
        EXPECT_NE(errors.find("kestrel: The program was asked to end; the rest of the ticket was "
                              "not sent."),
                  std::string::npos)
            << errors;
    } else {
        EXPECT_NE(Log().find(std::string(TerminationSignalName(c.signal)) +
                             " received; the console closes"),
                  std::string::npos);
        EXPECT_EQ(Stored("PortName"), kPortName);
        EXPECT_NE(Stored("CmdSave"), "<missing>");  // the console's values
        const std::string commLog =
            ReadFileBytes(m_folder.File("data/Norvane/Kestrel/KestrelCommData.rtf"));
        EXPECT_EQ(commLog.rfind("{\\rtf", 0), 0u) << commLog.substr(0, 40);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, KestrelSignals,
                         ::testing::Values(SignalCase{"InterruptSilent", SIGINT, false, false, 0},
                                           SignalCase{"TerminateSilent", SIGTERM, false, false, 0},
                                           SignalCase{"HangUpSilent", SIGHUP, false, false, 0},
                                           SignalCase{"InterruptTwice", SIGINT, false, true, -1},
                                           SignalCase{"TerminateTheJob", SIGTERM, true, false, 1}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kestrel
