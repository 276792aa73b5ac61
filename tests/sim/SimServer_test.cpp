// The simulator end to end over loopback TCP and a pseudo-terminal, with its control channel.
#include "sim/SimServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <sys/stat.h>

#include <fstream>
#include <random>
#include <sstream>

#include "SimTestClient.h"
#include "sim/StatusReplies.h"

namespace kestrel {
namespace {

using testing::ClearAllPacket;
using testing::ConsolePacket;
using testing::ControlClient;
using testing::ReadStatusBytes;
using testing::SimRunner;
using testing::StatusField;
using testing::StreamClient;
using testing::TestOptions;
using testing::VentrixCrcMatches;
using testing::WaitUntil;

const std::vector<uint8_t> kNull = {0x02, 0x00};

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "vantor-sim-" + std::to_string(getpid()) + "-" + name;
}

class SimServerTest : public ::testing::Test {
  protected:
    void Start(SimOptions options = TestOptions()) {
        m_runner = std::make_unique<SimRunner>(options);
        ASSERT_TRUE(m_runner->Started()) << m_runner->Error();
        ASSERT_TRUE(m_control.Connect(m_runner->ControlAddress()));
    }
    void Connect() { ASSERT_TRUE(m_console.Connect(m_runner->TcpAddress())); }
    std::optional<PrinterStatus> RequestStatus(int sequence = 0) {
        if (!m_console.Send(ConsolePacket(0x12, {}, sequence))) {
            return std::nullopt;
        }
        const auto reply = m_console.ReadVentrixPacket();
        if (!reply || !VentrixCrcMatches(*reply) || (*reply)[1] != kStatusPacketType) {
            return std::nullopt;
        }
        return ReadStatusBytes(*reply);
    }
    std::string StatusOf(const std::string& field) {
        return StatusField(m_control.Command("status"), field);
    }

    std::unique_ptr<SimRunner> m_runner;
    ControlClient m_control;
    StreamClient m_console;
};

TEST_F(SimServerTest, NullPollAndStatusRequestAreAnsweredOverTcp) {
    Start();
    Connect();
    ASSERT_TRUE(m_console.Send(kNull));
    EXPECT_EQ(m_console.ReadVentrixPacket(), kNull);
    EXPECT_EQ(RequestStatus(1), PrinterStatus{});
}

TEST_F(SimServerTest, TicketPhasesArriveInOrderThenClearAllClearsThem) {
    Start();
    Connect();
    ASSERT_TRUE(m_console.Send(ConsolePacket(0x05, {'[', 'T', ']'}, 0)));
    // Poll as the console's monitor does and keep each distinct status seen.
    std::vector<PrinterStatus> seen = {PrinterStatus{}};
    const PrinterStatus done = {0, 0, 0x08, 0, 0x30};
    const bool finished = WaitUntil(
        [&] {
            const auto status = RequestStatus(1);
            if (status && *status != seen.back()) {
                seen.push_back(*status);
            }
            return status == done;
        },
        testing::kTicketWait);
    ASSERT_TRUE(finished);
    // Each phase is seen, or skipped by a slow poll, but never out of order.
    const std::vector<PrinterStatus> order = {
        PrinterStatus{}, {0x20, 0, 0, 0, 0}, {0x20, 0, 0, 0, 0x20}, {0x20, 0, 0x08, 0, 0x20}, done};
    size_t at = 0;
    for (const PrinterStatus& status : seen) {
        while (at < order.size() && order[at] != status) {
            ++at;
        }
        ASSERT_LT(at, order.size()) << "a status out of the phases' order";
    }
    EXPECT_EQ(StatusOf("tickets"), "1");

    ASSERT_TRUE(m_console.Send(ClearAllPacket(2)));
    EXPECT_TRUE(WaitUntil([&] { return StatusOf("clear-alls") == "1"; }));
    EXPECT_EQ(RequestStatus(3), PrinterStatus{});
}

TEST_F(SimServerTest, FaultsFromTheControlChannelShowInTheStatus) {
    Start();
    Connect();
    const std::pair<const char*, PrinterStatus> faults[] = {
        {"paper-out", {0x04, 0, 0, 0, 0}}, {"paper-low", {0, 0, 0, 0x01, 0}},
        {"jam", {0, 0, 0, 0x02, 0}},       {"door-open", {0, 0, 0, 0, 0x04}},
        {"head-up", {0x08, 0, 0, 0, 0}},   {"IDC_CHECKTEMPHIGH", {0, 0x20, 0, 0, 0}},
    };
    for (const auto& [fault, bits] : faults) {
        ASSERT_EQ(m_control.Command(fault), "ok");
        EXPECT_EQ(RequestStatus(), bits) << fault;
        ASSERT_EQ(m_control.Command("clear"), "ok");
    }
    EXPECT_EQ(m_control.Command("nonsense"), "error: unknown command 'nonsense' (try help)");
}

TEST_F(SimServerTest, BadCrcRepliesAndBadCrcRequestsAreCounted) {
    SimOptions options = TestOptions();
    options.faults = {"bad-crc 1"};
    Start(options);
    Connect();
    ASSERT_TRUE(m_console.Send(ConsolePacket(0x12)));
    const auto damaged = m_console.ReadVentrixPacket();
    ASSERT_TRUE(damaged.has_value());
    EXPECT_FALSE(VentrixCrcMatches(*damaged));
    EXPECT_EQ(RequestStatus(), PrinterStatus{});

    std::vector<uint8_t> request = ConsolePacket(0x12);
    request.back() ^= 0x80;
    ASSERT_TRUE(m_console.Send(request));
    EXPECT_TRUE(WaitUntil([&] { return StatusOf("crc-errors") == "1"; }));
    // The rejected request got no answer: the next reply is the null packet's.
    ASSERT_TRUE(m_console.Send(kNull));
    EXPECT_EQ(m_console.ReadVentrixPacket(), kNull);
}

TEST_F(SimServerTest, SilenceSendsNothing) {
    Start();
    Connect();
    ASSERT_EQ(m_control.Command("silence on"), "ok");
    ASSERT_TRUE(m_console.Send(kNull));
    EXPECT_TRUE(WaitUntil([&] { return StatusOf("packets") == "1"; }));
    ASSERT_EQ(m_control.Command("silence off"), "ok");
    // Had the first poll been answered, its reply would come before this one's status packet.
    EXPECT_EQ(RequestStatus(), PrinterStatus{});
    EXPECT_TRUE(m_console.Pending().empty());
}

TEST_F(SimServerTest, NeverBusyKeepsTheTicketFromStarting) {
    Start();
    Connect();
    ASSERT_EQ(m_control.Command("never-busy on"), "ok");
    ASSERT_TRUE(m_console.Send(ConsolePacket(0x05, {'T'})));
    EXPECT_EQ(RequestStatus(), PrinterStatus{});
    EXPECT_EQ(StatusOf("ticket"), "idle");
}

TEST_F(SimServerTest, DropAfterClosesTheConnectionAndTheNextOneIsServed) {
    Start();
    Connect();
    ASSERT_EQ(m_control.Command("drop-after 3"), "ok");
    ASSERT_TRUE(m_console.Send(kNull));
    EXPECT_EQ(m_console.ReadVentrixPacket(), kNull);
    ASSERT_TRUE(m_console.Send(kNull));  // the third byte ends the connection unanswered
    EXPECT_TRUE(m_console.WaitClosed());
    EXPECT_EQ(StatusOf("drop-after"), "off");

    Connect();
    ASSERT_TRUE(m_console.Send(kNull));
    EXPECT_EQ(m_console.ReadVentrixPacket(), kNull);
    ASSERT_EQ(m_control.Command("drop"), "ok");
    EXPECT_TRUE(m_console.WaitClosed());
    Connect();
    EXPECT_EQ(RequestStatus(), PrinterStatus{});
}

TEST_F(SimServerTest, ASecondConsoleWaitsUntilTheFirstLeaves) {
    Start();
    Connect();
    StreamClient second;
    ASSERT_TRUE(second.Connect(m_runner->TcpAddress()));
    ASSERT_TRUE(second.Send(kNull));
    ASSERT_TRUE(m_console.Send(kNull));
    EXPECT_EQ(m_console.ReadVentrixPacket(), kNull);
    m_console.Close();
    EXPECT_EQ(second.ReadVentrixPacket(), kNull);
}

TEST_F(SimServerTest, PeriodicStatusArrivesUnasked) {
    SimOptions options = TestOptions();
    options.printer.periodicMilliseconds = 20;
    options.faults = {"door-open"};
    Start(options);
    Connect();
    for (int i = 0; i < 2; ++i) {
        const auto packet = m_console.ReadVentrixPacket();
        ASSERT_TRUE(packet.has_value());
        EXPECT_TRUE(VentrixCrcMatches(*packet));
        EXPECT_EQ(ReadStatusBytes(*packet), (PrinterStatus{0, 0, 0, 0, 0x04}));
    }
}

TEST_F(SimServerTest, SmartPollIsAnsweredWithItsRecordsOverTcp) {
    SimOptions options = TestOptions();
    options.printer.mode = PrinterMode::Smart;
    Start(options);
    Connect();
    ASSERT_EQ(m_control.Command("jam"), "ok");
    ASSERT_TRUE(m_console.Send({0x1D, 0x79}));
    const auto reply = m_console.ReadBytes(340);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ((*reply)[0], kSmartStatusCode);
    EXPECT_EQ((*reply)[2], 0x01);  // Ticket Jam
    EXPECT_EQ((*reply)[83], kSmartStateCode);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&(*reply)[84])), "Paper jam");
}

TEST_F(SimServerTest, NoiseThenAValidPacketIsStillAnswered) {
    Start();
    Connect();
    std::mt19937 random(11);
    std::vector<uint8_t> noise(1 << 20);
    for (uint8_t& byte : noise) {
        byte = static_cast<uint8_t>(random());
    }
    ASSERT_TRUE(m_console.Send(noise));
    // Replies to packets hidden in the noise may come first; a status reply shows it is back.
    bool answered = false;
    for (int attempt = 0; attempt < 10 && !answered; ++attempt) {
        ASSERT_TRUE(m_console.Send(ConsolePacket(0x12)));
        for (auto packet = m_console.ReadVentrixPacket(std::chrono::milliseconds(500));
             packet && !answered;
             packet = m_console.ReadVentrixPacket(std::chrono::milliseconds(500))) {
            answered = (*packet)[1] == kStatusPacketType && VentrixCrcMatches(*packet);
        }
    }
    EXPECT_TRUE(answered);
    EXPECT_NE(StatusOf("skipped"), "0");
}

TEST_F(SimServerTest, RecordingHoldsExactlyTheBytesBothWays) {
    const std::string path = TempPath("record.txt");
    SimOptions options = TestOptions();
    options.recordPath = path;
    Start(options);
    Connect();
    const std::vector<uint8_t> request = ConsolePacket(0x12, {}, 2);
    ASSERT_TRUE(m_console.Send(request));
    const auto reply = m_console.ReadVentrixPacket();
    ASSERT_TRUE(reply.has_value());
    ASSERT_TRUE(m_console.Send(kNull));
    ASSERT_EQ(m_console.ReadVentrixPacket(), kNull);

    std::vector<uint8_t> rx;
    std::vector<uint8_t> tx;
    std::vector<uint8_t> expectedRx = request;
    expectedRx.insert(expectedRx.end(), kNull.begin(), kNull.end());
    std::vector<uint8_t> expectedTx = *reply;
    expectedTx.insert(expectedTx.end(), kNull.begin(), kNull.end());
    int notes = 0;
    const bool complete = WaitUntil([&] {
        rx.clear();
        tx.clear();
        notes = 0;
        std::ifstream file(path);
        for (std::string line; std::getline(file, line);) {
            if (line.rfind("# ", 0) == 0) {
                ++notes;
                continue;
            }
            std::istringstream fields(line);
            std::string seconds;
            std::string direction;
            fields >> seconds >> direction;
            EXPECT_NE(seconds.find('.'), std::string::npos) << line;
            std::vector<uint8_t>& to = direction == "rx" ? rx : tx;
            EXPECT_TRUE(direction == "rx" || direction == "tx") << line;
            for (std::string hex; fields >> hex;) {
                EXPECT_EQ(hex.size(), 2u) << line;
                to.push_back(static_cast<uint8_t>(std::stoi(hex, nullptr, 16)));
            }
        }
        return rx.size() >= expectedRx.size() && tx.size() >= expectedTx.size();
    });
    EXPECT_TRUE(complete);
    EXPECT_EQ(rx, expectedRx);
    EXPECT_EQ(tx, expectedTx);
    EXPECT_EQ(notes, 1);  // the connection
    m_runner.reset();
    std::remove(path.c_str());
}

TEST_F(SimServerTest, PseudoTerminalCarriesTheProtocolAndItsLinkGoesAway) {
    const std::string link = TempPath("pty");
    SimOptions options = TestOptions();
    options.ptyPath = link;
    Start(options);
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u);

    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios settings{};
    ASSERT_EQ(tcgetattr(fd, &settings), 0);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0u);  // raw: bytes pass untouched
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    StreamClient serial(fd);
    ASSERT_TRUE(serial.Send(kNull));
    EXPECT_EQ(serial.ReadVentrixPacket(), kNull);
    ASSERT_TRUE(serial.Send(ConsolePacket(0x12, {}, 1)));
    const auto reply = serial.ReadVentrixPacket();
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(VentrixCrcMatches(*reply));

    // Closing our side and opening again works: the simulator keeps the slave alive.
    serial.Close();
    StreamClient again(open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(again.Send(kNull));
    EXPECT_EQ(again.ReadVentrixPacket(), kNull);

    m_runner.reset();
    struct stat gone {};
    EXPECT_NE(lstat(link.c_str(), &gone), 0);
}

TEST_F(SimServerTest, DroppingThePseudoTerminalReplacesItBehindTheSameLink) {
    const std::string link = TempPath("pty-drop");
    SimOptions options = TestOptions();
    options.ptyPath = link;
    Start(options);
    StreamClient first(open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_EQ(m_control.Command("drop"), "ok");
    EXPECT_TRUE(first.WaitClosed());
    StreamClient second(open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(second.Send(kNull));
    EXPECT_EQ(second.ReadVentrixPacket(), kNull);
}

TEST_F(SimServerTest, ControlChannelRefusesOverlongLinesAndStaysUsable) {
    Start();
    StreamClient raw;
    ASSERT_TRUE(raw.Connect(m_runner->ControlAddress()));
    ASSERT_TRUE(raw.SendText(std::string(kMaxControlLine * 3, 'j') + "\nstatus\n"));
    EXPECT_EQ(raw.ReadLine(), "error: line too long");
    const auto status = raw.ReadLine();
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->rfind("ok S=", 0), 0u);
}

TEST_F(SimServerTest, StartUpFaultThatIsNoCommandStopsTheStart) {
    SimOptions options = TestOptions();
    options.faults = {"wobble"};
    SimRunner runner(options);
    EXPECT_FALSE(runner.Started());
    EXPECT_NE(runner.Error().find("wobble"), std::string::npos);
}

TEST_F(SimServerTest, PathThatIsNoLinkIsNotReplaced) {
    const std::string path = TempPath("regular");
    { std::ofstream(path) << "keep"; }
    SimOptions options = TestOptions();
    options.ptyPath = path;
    SimRunner runner(options);
    EXPECT_FALSE(runner.Started());
    std::ifstream kept(path);
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "keep");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kestrel
