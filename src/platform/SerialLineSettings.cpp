#include "platform/SerialLineSettings.h"

#include "platform/AsciiText.h"

namespace kestrel {
namespace {

constexpr uint8_t kMinByteSize = 5;
constexpr uint8_t kMaxByteSize = 8;
constexpr uint32_t kDtrControlShift = 4;
constexpr uint32_t kRtsControlShift = 12;
constexpr uint32_t kControlDisable = 0;

struct StandardSpeed {
    uint32_t rate;
    speed_t constant;
};

constexpr StandardSpeed kStandardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t SizeFlag(uint8_t byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

}  // namespace

SerialLineSettings DcbToTermios(const DCB& dcb) {
    SerialLineSettings line;
    if (dcb.BaudRate == 0 || dcb.ByteSize < kMinByteSize || dcb.ByteSize > kMaxByteSize ||
        dcb.Parity > kSpaceParity || dcb.StopBits > kTwoStopBits) {
        return line;
    }
    line.valid = true;
    line.baudRate = dcb.BaudRate;
    line.customSpeed = true;
    for (const StandardSpeed& standard : kStandardSpeeds) {
        if (standard.rate == dcb.BaudRate) {
            line.speed = standard.constant;
            line.customSpeed = false;
        }
    }

    line.cflag = CREAD | CLOCAL | SizeFlag(dcb.ByteSize);
    switch (dcb.Parity) {
        case kOddParity:
            line.cflag |= PARENB | PARODD;
            break;
        case kEvenParity:
            line.cflag |= PARENB;
            break;
        case kMarkParity:  // stick parity: the parity bit is always 1
            line.cflag |= PARENB | CMSPAR | PARODD;
            break;
        case kSpaceParity:  // stick parity: the parity bit is always 0
            line.cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    // 1.5 stop bits: a UART sends 1.5 for CSTOPB with 5 data bits, and 2 otherwise, the
    // nearest a tty has.
    if (dcb.StopBits != kOneStopBit) {
        line.cflag |= CSTOPB;
    }
    const uint32_t rtsControl = (dcb.Flags & kDcbRtsControlMask) >> kRtsControlShift;
    const uint32_t dtrControl = (dcb.Flags & kDcbDtrControlMask) >> kDtrControlShift;
    if ((dcb.Flags & kDcbOutxCtsFlow) != 0 ||
        (dcb.Flags & kDcbRtsControlMask) == kDcbRtsControlHandshake) {
        line.cflag |= CRTSCTS;
    }

    // fParity asks for a parity check, but a tty that checks hands over every byte with a
    // parity error as 0x00 (or marked): received bytes are delivered as they came instead.
    if ((dcb.Flags & kDcbOutX) != 0) {
        line.iflag |= IXON;
    }
    if ((dcb.Flags & kDcbInX) != 0) {
        line.iflag |= IXOFF;
    }
    line.startChar =
        dcb.XonChar != 0 ? static_cast<cc_t>(dcb.XonChar) : static_cast<cc_t>(kXonChar);
    line.stopChar =
        dcb.XoffChar != 0 ? static_cast<cc_t>(dcb.XoffChar) : static_cast<cc_t>(kXoffChar);

    // Enable, handshake and toggle all raise the line: a tty has no DTR handshake, and RTS
    // handshake is CRTSCTS's business once the line is up.
    line.dtr = dtrControl == kControlDisable ? ModemLineAction::Clear : ModemLineAction::Set;
    line.rts = rtsControl == kControlDisable ? ModemLineAction::Clear : ModemLineAction::Set;
    return line;
}

}  // namespace kestrel
