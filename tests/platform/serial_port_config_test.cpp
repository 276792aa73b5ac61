#include "platform/SerialPortConfig.h"

#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SerialCustomSpeed.h"
#include "support/PseudoTerminal.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::PseudoTerminal;

class SlaveFd {
  public:
    explicit SlaveFd(const PseudoTerminal& pty) : m_fd(pty.OpenSlave()) {}
    ~SlaveFd() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    int Get() const { return m_fd; }

  private:
    int m_fd;
};

COMMCONFIG Config(uint32_t rate, uint8_t size, uint8_t parity, uint8_t stop) {
    COMMCONFIG config{};
    config.dwSize = sizeof config;
    config.dcb.DCBlength = sizeof(DCB);
    config.dcb.BaudRate = rate;
    config.dcb.ByteSize = size;
    config.dcb.Parity = parity;
    config.dcb.StopBits = stop;
    config.dcb.Flags = kDcbBinary | kDcbDtrControlEnable | kDcbRtsControlEnable;
    return config;
}

TEST(GetDefaultCommConfig, NineSixHundredEightNoneOneForAnExistingTty) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    COMMCONFIG config{};
    std::memset(&config, 0xA5, sizeof config);
    ASSERT_TRUE(GetDefaultCommConfig(pty.SlavePath(), &config));
    EXPECT_EQ(config.dwSize, 52u);
    EXPECT_EQ(config.dcb.DCBlength, 28u);
    EXPECT_EQ(config.dcb.BaudRate, 9600u);
    EXPECT_EQ(config.dcb.ByteSize, 8);
    EXPECT_EQ(config.dcb.Parity, kNoParity);
    EXPECT_EQ(config.dcb.StopBits, kOneStopBit);
    EXPECT_NE(config.dcb.Flags & kDcbBinary, 0u);
    EXPECT_EQ(config.dcb.Flags & (kDcbOutX | kDcbInX | kDcbOutxCtsFlow), 0u);
}

TEST(GetDefaultCommConfig, FailsForWhatIsNotATty) {
    testing::ScratchFolder folder;
    const std::string file = folder.File("plain");
    FILE* f = fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    COMMCONFIG config{};
    errno = 0;
    EXPECT_FALSE(GetDefaultCommConfig(folder.File("missing"), &config));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(GetDefaultCommConfig(file, &config));
    EXPECT_EQ(errno, ENOTTY);
    EXPECT_FALSE(GetDefaultCommConfig("/dev/null", &config));  // a character device, not a tty
    EXPECT_FALSE(GetDefaultCommConfig(folder.Path(), &config));
}

// A pseudo-terminal keeps the rate and the stop bits; it forces 8 data bits and no parity, so
// the size and parity mapping is tested on DcbToTermios alone.
TEST(SetCommConfig, PseudoTerminalKeepsRateAndStopBits) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    SlaveFd fd(pty);
    ASSERT_GE(fd.Get(), 0);

    ASSERT_TRUE(SetCommConfig(fd.Get(), Config(19200, 7, kNoParity, kTwoStopBits)));
    termios settings{};
    ASSERT_EQ(tcgetattr(fd.Get(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B19200);
    EXPECT_NE(settings.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0u);  // raw
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);

    ASSERT_TRUE(SetCommConfig(fd.Get(), Config(115200, 8, kNoParity, kOneStopBit)));
    ASSERT_EQ(tcgetattr(fd.Get(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B115200);
    EXPECT_EQ(settings.c_cflag & CSIZE, CS8);
    EXPECT_EQ(settings.c_cflag & CSTOPB, 0u);
}

TEST(SetCommConfig, NonStandardRateGoesThroughTermios2) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    SlaveFd fd(pty);
    ASSERT_TRUE(SetCommConfig(fd.Get(), Config(250000, 8, kNoParity, kOneStopBit)));
    uint32_t rate = 0;
    ASSERT_TRUE(GetLineSpeed(fd.Get(), &rate));
    EXPECT_EQ(rate, 250000u);
}

TEST(SetCommConfig, KeepsTheReadTimeoutsOfTheTty) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    SlaveFd fd(pty);
    termios settings{};
    ASSERT_EQ(tcgetattr(fd.Get(), &settings), 0);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 7;
    ASSERT_EQ(tcsetattr(fd.Get(), TCSANOW, &settings), 0);
    ASSERT_TRUE(SetCommConfig(fd.Get(), Config(9600, 8, kNoParity, kOneStopBit)));
    ASSERT_EQ(tcgetattr(fd.Get(), &settings), 0);
    EXPECT_EQ(settings.c_cc[VMIN], 0);
    EXPECT_EQ(settings.c_cc[VTIME], 7);
}

TEST(SetCommConfig, FailsOnWhatIsNotATtyOrNotAValidDcb) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    errno = 0;
    EXPECT_FALSE(SetCommConfig(pipeFds[0], Config(9600, 8, kNoParity, kOneStopBit)));
    EXPECT_EQ(errno, ENOTTY);
    close(pipeFds[0]);
    close(pipeFds[1]);
    EXPECT_FALSE(SetCommConfig(-1, Config(9600, 8, kNoParity, kOneStopBit)));
    EXPECT_EQ(errno, EBADF);

    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    SlaveFd fd(pty);
    ASSERT_TRUE(SetCommConfig(fd.Get(), Config(4800, 8, kNoParity, kOneStopBit)));
    EXPECT_FALSE(SetCommConfig(fd.Get(), COMMCONFIG{}));
    EXPECT_EQ(errno, EINVAL);
    termios settings{};
    ASSERT_EQ(tcgetattr(fd.Get(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B4800);  // the refused DCB changed nothing
}

}  // namespace
}  // namespace kestrel
