// The kestrel program itself running the command-line job unattended, with no display, against
// the vantor-sim program over TCP and its pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/AppTestFixture.h"
#include "notation/EncodeCommandText.h"
#include "support/ChildProcess.h"
#include "support/FileBytes.h"
#include "support/KestrelProgram.h"
#include "support/SimProcess.h"

namespace kestrel {
namespace {

using testing::ChildProcess;
using testing::ReadFileBytes;
using testing::RecordedBytes;
using testing::SimProcess;
using testing::WriteFileBytes;

constexpr std::chrono::milliseconds kProgramWait{15000};
constexpr std::chrono::milliseconds kQuietWait{300};
constexpr std::chrono::milliseconds kArrivalWait{3000};
const std::vector<std::string> kTicketLines = {"<0x02><0x04>ONE", "<0x02><0x04>TWO[LF]",
                                               "<0x02><0x04>THREE"};
// A command history that the job must leave as it was.
const std::string kStoredHistory(64, '\x5A');

class KestrelProgramTest : public testing::AppTest {
  protected:
    void SetUp() override {
        testing::AppTest::SetUp();
        std::string ticket;
        for (const std::string& line : kTicketLines) {
            ticket += line + "\r\n";
        }
        WriteFileBytes(m_folder.File("t.dmo"), ticket);
        Settings()->SetBinary("CmdSave", kStoredHistory.data(), kStoredHistory.size());
    }

    // Runs kestrel in the scratch folder without any display and returns its exit code.
    int Run(const std::vector<std::string>& args) {
        ChildProcess program(KESTREL_BINARY, testing::KestrelProgramOptions(m_folder, args));
        return program.WaitExit(kProgramWait);
    }

    std::string Record() const { return m_folder.File("record.txt"); }

    void ExpectTheTicketsPackets() {
        const auto packets =
            testing::WaitForVentrixPackets(Record(), kTicketLines.size(), kArrivalWait);
        ASSERT_EQ(packets.size(), kTicketLines.size());
        for (size_t i = 0; i < packets.size(); ++i) {
            const std::string line = EncodeCommandBytes(kTicketLines[i]);
            ASSERT_EQ(packets[i].size(), line.size() + 3) << i;
            EXPECT_EQ(std::string(packets[i].begin() + 3, packets[i].end() - 2), line.substr(2));
        }
    }

    void ExpectFailureWithoutTraffic(int exitCode, const std::string& logged) {
        EXPECT_EQ(exitCode, 1);
        EXPECT_NE(ReadFileBytes(m_folder.File("Kestrel.log")).find(logged), std::string::npos);
        EXPECT_NE(ReadFileBytes(m_folder.File("stderr.txt")).find(logged), std::string::npos);
        std::this_thread::sleep_for(kQuietWait);
        EXPECT_TRUE(RecordedBytes(Record(), "rx").empty());
        EXPECT_EQ(Stored("CmdSave"), kStoredHistory);
    }
};

TEST_F(KestrelProgramTest, TheJobSendsTheTicketOverTcpAndEndsWithZero) {
    SimProcess sim(VANTOR_SIM_BINARY, Record());
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(Run({"ventrix", "port:" + sim.TcpAddress(), "file:t.dmo", "exit"}), 0)
        << ReadFileBytes(m_folder.File("stderr.txt"));
    ExpectTheTicketsPackets();
    EXPECT_EQ(Stored("PortName"), sim.TcpAddress());
    EXPECT_EQ(Stored("CmdSave"), kStoredHistory);
}

TEST_F(KestrelProgramTest, TheJobSendsTheTicketOverThePseudoTerminal) {
    const std::string link = m_folder.File("vantor-tty");
    SimProcess sim(VANTOR_SIM_BINARY, Record(), link);
    ASSERT_TRUE(sim.Started());
    EXPECT_EQ(Run({"ventrix", "port:" + link, "file:t.dmo", "exit"}), 0)
        << ReadFileBytes(m_folder.File("stderr.txt"));
    ExpectTheTicketsPackets();
    EXPECT_EQ(Stored("PortName"), link);
    EXPECT_EQ(Stored("CmdSave"), kStoredHistory);
}

TEST_F(KestrelProgramTest, AMissingFileSendsNothingAndEndsWithOne) {
    SimProcess sim(VANTOR_SIM_BINARY, Record());
    ASSERT_TRUE(sim.Started());
    const int exitCode = Run({"ventrix", "port:" + sim.TcpAddress(), "file:missing.dmo", "exit"});
    ExpectFailureWithoutTraffic(exitCode, "Cannot open the ticket file \"missing.dmo\"");
    EXPECT_EQ(ReadFileBytes(Record()).find("connect"), std::string::npos);
}

TEST_F(KestrelProgramTest, ARefusedPortSendsNothingAndEndsWithOne) {
    const std::string refused = testing::RefusingLoopbackAddress();
    const int exitCode = Run({"ventrix", "port:" + refused, "file:t.dmo", "exit"});
    ExpectFailureWithoutTraffic(exitCode, "Cannot communicate with the printer.");
    // The port's reason follows on a line of its own, once.
    const std::string reason = "IOComm::Open() failed, GetLastError() returned: 111 (" + refused +
                               " refused the connection)";
    const std::string errors = ReadFileBytes(m_folder.File("stderr.txt"));
    EXPECT_NE(errors.find("(port " + refused + ")\nkestrel: " + reason + "\n"), std::string::npos)
        << errors;
    EXPECT_EQ(errors.find(reason), errors.rfind(reason));
    EXPECT_NE(ReadFileBytes(m_folder.File("Kestrel.log")).find("(port " + refused + ")\n" + reason),
              std::string::npos);
}

TEST(KestrelAppExit, ExitInstanceReturnsTheJobsExitCode) {
    testing::ScratchFolder folder;
    folder.EnterAsCurrentDirectory();
    folder.UseAsSettings();
    testing::FakeClock clock;
    CKestrelApp app({}, clock);
    EXPECT_EQ(app.ExitInstance(), 0);
    app.m_jobExitCode = 1;
    EXPECT_EQ(app.ExitInstance(), 1);
}

}  // namespace
}  // namespace kestrel
