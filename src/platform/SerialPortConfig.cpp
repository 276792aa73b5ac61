#include "platform/SerialPortConfig.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

#include "platform/AsciiText.h"
#include "platform/SerialCustomSpeed.h"
#include "platform/SerialLineSettings.h"
#include "platform/TtyDevice.h"

namespace kestrel {
namespace {

constexpr uint32_t kDefaultBaudRate = 9600;
constexpr uint8_t kDefaultByteSize = 8;
constexpr uint16_t kCommConfigVersion = 1;
constexpr uint32_t kProviderRs232 = 1;

// A pseudo-terminal refuses modem-line requests with one of these.
bool NoModemLines(int error) {
    return error == ENOTTY || error == EINVAL;
}

bool ApplyModemLine(int fd, int line, ModemLineAction action) {
    const int bits = line;
    const unsigned long request = action == ModemLineAction::Set ? TIOCMBIS : TIOCMBIC;
    return ioctl(fd, request, &bits) == 0 || NoModemLines(errno);
}

}  // namespace

bool GetDefaultCommConfig(const std::string& devicePath, COMMCONFIG* config,
                          const std::string& sysfsRoot) {
    if (!IsTtyDevice(devicePath, sysfsRoot)) {
        return false;
    }
    *config = COMMCONFIG{};
    config->dwSize = sizeof(COMMCONFIG);
    config->wVersion = kCommConfigVersion;
    config->dwProviderSubType = kProviderRs232;
    DCB& dcb = config->dcb;
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = kDefaultBaudRate;
    dcb.Flags = kDcbBinary | kDcbDtrControlEnable | kDcbRtsControlEnable;
    dcb.ByteSize = kDefaultByteSize;
    dcb.Parity = kNoParity;
    dcb.StopBits = kOneStopBit;
    dcb.XonChar = kXonChar;
    dcb.XoffChar = kXoffChar;
    return true;
}

bool SetCommConfig(int fd, const COMMCONFIG& config) {
    if (fd < 0) {
        errno = EBADF;
        return false;
    }
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return false;
    }
    const SerialLineSettings line = DcbToTermios(config.dcb);
    if (!line.valid) {
        errno = EINVAL;
        return false;
    }
    const cc_t minimum = settings.c_cc[VMIN];
    const cc_t wait = settings.c_cc[VTIME];
    cfmakeraw(&settings);
    settings.c_cc[VMIN] = minimum;
    settings.c_cc[VTIME] = wait;
    settings.c_cflag = (settings.c_cflag & ~kLineCflagMask) | line.cflag;
    settings.c_iflag = (settings.c_iflag & ~kLineIflagMask) | line.iflag;
    settings.c_cc[VSTART] = line.startChar;
    settings.c_cc[VSTOP] = line.stopChar;
    if (!line.customSpeed &&
        (cfsetispeed(&settings, line.speed) != 0 || cfsetospeed(&settings, line.speed) != 0)) {
        return false;
    }
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        return false;
    }
    if (line.customSpeed && !SetCustomLineSpeed(fd, line.baudRate)) {
        return false;
    }
    return ApplyModemLine(fd, TIOCM_DTR, line.dtr) && ApplyModemLine(fd, TIOCM_RTS, line.rts);
}

}  // namespace kestrel
