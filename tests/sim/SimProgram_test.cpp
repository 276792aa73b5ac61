// The vantor-sim program itself: its command line, the lines it prints, and a clean end on a
// signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

#include "SimTestClient.h"

extern char** environ;

namespace kestrel {
namespace {

using testing::StreamClient;

// The program with its standard output (and error) on a pipe.
class Program {
  public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), VANTOR_SIM_BINARY);
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, VANTOR_SIM_BINARY, &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        m_output = std::make_unique<StreamClient>(fds[0]);
    }
    ~Program() {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    bool Running() const { return m_pid > 0; }
    std::optional<std::string> ReadLine() { return m_output->ReadLine(testing::kTicketWait); }
    void Signal(int number) { kill(m_pid, number); }
    // The exit status, or -1 when it did not end within the wait.
    int WaitExit() {
        int status = 0;
        const bool ended = testing::WaitUntil(
            [&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; }, testing::kTicketWait);
        m_exited = ended;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Everything printed until the program closed its output.
    std::string ReadAll() {
        std::string text;
        while (const auto line = ReadLine()) {
            text += *line + "\n";
        }
        return text;
    }

  private:
    pid_t m_pid = -1;
    bool m_exited = false;
    std::unique_ptr<StreamClient> m_output;
};

TEST(SimProgramTest, HelpPrintsTheUsageAndEndsWithZero) {
    Program program({"--help"});
    ASSERT_TRUE(program.Running());
    const std::string text = program.ReadAll();
    EXPECT_EQ(program.WaitExit(), 0);
    EXPECT_EQ(text.rfind("Usage: vantor-sim", 0), 0u);
    EXPECT_NE(text.find("--record FILE"), std::string::npos);
}

TEST(SimProgramTest, BadCommandLineEndsWithTwoAndSaysWhy) {
    Program program({"--mode", "laser"});
    const std::string text = program.ReadAll();
    EXPECT_EQ(program.WaitExit(), 2);
    EXPECT_NE(text.find("--mode takes ventrix"), std::string::npos) << text;
}

TEST(SimProgramTest, AddressInUseEndsWithOne) {
    Program first({"--tcp", "127.0.0.1:0"});
    const auto line = first.ReadLine();
    ASSERT_TRUE(line.has_value());
    Program second({"--tcp", line->substr(4)});
    const std::string text = second.ReadAll();
    EXPECT_EQ(second.WaitExit(), 1);
    EXPECT_NE(text.find("cannot listen"), std::string::npos) << text;
}

TEST(SimProgramTest, PrintsWhereItListensServesAndEndsCleanlyOnSignals) {
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        const std::string link = ::testing::TempDir() + "vantor-sim-program-" +
                                 std::to_string(getpid()) + "-" + std::to_string(signalNumber);
        Program program({"--tcp", "127.0.0.1:0", "--pty", link, "--phase-ms", "10"});
        std::map<std::string, std::string> where;
        for (int i = 0; i < 3; ++i) {
            const auto line = program.ReadLine();
            ASSERT_TRUE(line.has_value());
            const size_t blank = line->find(' ');
            where[line->substr(0, blank)] = line->substr(blank + 1);
        }
        ASSERT_EQ(where.count("tcp"), 1u);
        EXPECT_EQ(where["pty"].rfind(link + " -> /dev/pts/", 0), 0u) << where["pty"];
        ASSERT_EQ(where.count("control"), 1u);

        StreamClient console;
        ASSERT_TRUE(console.Connect(where["tcp"]));
        ASSERT_TRUE(console.Send({0x02, 0x00}));
        EXPECT_EQ(console.ReadVentrixPacket(), (std::vector<uint8_t>{0x02, 0x00}));
        testing::ControlClient control;
        ASSERT_TRUE(control.Connect(where["control"]));
        EXPECT_EQ(control.Command("jam"), "ok");

        program.Signal(signalNumber);
        EXPECT_EQ(program.WaitExit(), 0);
        struct stat gone {};
        EXPECT_NE(lstat(link.c_str(), &gone), 0) << "the link outlived the program";
    }
}

}  // namespace
}  // namespace kestrel
