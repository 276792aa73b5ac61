// The serial configuration records in the platform's published layouts. "Comm Data" in the
// settings store is the 52-byte image of COMMCONFIG, so these layouts must never change.
#pragma once

#include <cstdint>

namespace kestrel {

// DCB flag word masks.
inline constexpr uint32_t kDcbBinary = 0x1;
inline constexpr uint32_t kDcbParity = 0x2;
inline constexpr uint32_t kDcbOutxCtsFlow = 0x4;
inline constexpr uint32_t kDcbOutxDsrFlow = 0x8;
inline constexpr uint32_t kDcbDtrControlMask = 0x30;
inline constexpr uint32_t kDcbDtrControlEnable = 0x10;
inline constexpr uint32_t kDcbDtrControlHandshake = 0x20;
inline constexpr uint32_t kDcbDsrSensitivity = 0x40;
inline constexpr uint32_t kDcbTXContinueOnXoff = 0x80;
inline constexpr uint32_t kDcbOutX = 0x100;
inline constexpr uint32_t kDcbInX = 0x200;
inline constexpr uint32_t kDcbErrorChar = 0x400;
inline constexpr uint32_t kDcbNull = 0x800;
inline constexpr uint32_t kDcbRtsControlMask = 0x3000;
inline constexpr uint32_t kDcbRtsControlEnable = 0x1000;
inline constexpr uint32_t kDcbRtsControlHandshake = 0x2000;
inline constexpr uint32_t kDcbRtsControlToggle = 0x3000;
inline constexpr uint32_t kDcbAbortOnError = 0x4000;

// DCB Parity byte.
inline constexpr uint8_t kNoParity = 0;
inline constexpr uint8_t kOddParity = 1;
inline constexpr uint8_t kEvenParity = 2;
inline constexpr uint8_t kMarkParity = 3;
inline constexpr uint8_t kSpaceParity = 4;

// DCB StopBits byte.
inline constexpr uint8_t kOneStopBit = 0;
inline constexpr uint8_t kOne5StopBits = 1;
inline constexpr uint8_t kTwoStopBits = 2;

struct DCB {
    uint32_t DCBlength;
    uint32_t BaudRate;
    uint32_t Flags;  // the platform's bit field, addressed through the kDcb* masks
    uint16_t wReserved;
    uint16_t XonLim;
    uint16_t XoffLim;
    uint8_t ByteSize;
    uint8_t Parity;
    uint8_t StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    uint16_t wReserved1;
};
static_assert(sizeof(DCB) == 28);

struct COMMCONFIG {
    uint32_t dwSize;
    uint16_t wVersion;
    uint16_t wReserved;
    DCB dcb;
    uint32_t dwProviderSubType;
    uint32_t dwProviderOffset;
    uint32_t dwProviderSize;
    uint16_t wcProviderData[1];
};
static_assert(sizeof(COMMCONFIG) == 52);

struct COMMTIMEOUTS {
    uint32_t ReadIntervalTimeout;
    uint32_t ReadTotalTimeoutMultiplier;
    uint32_t ReadTotalTimeoutConstant;
    uint32_t WriteTotalTimeoutMultiplier;
    uint32_t WriteTotalTimeoutConstant;
};
static_assert(sizeof(COMMTIMEOUTS) == 20);

// COMSTAT flag word masks.
inline constexpr uint32_t kComstatCtsHold = 0x1;
inline constexpr uint32_t kComstatDsrHold = 0x2;
inline constexpr uint32_t kComstatRlsdHold = 0x4;
inline constexpr uint32_t kComstatXoffHold = 0x8;
inline constexpr uint32_t kComstatXoffSent = 0x10;

struct COMSTAT {
    uint32_t Flags;
    uint32_t cbInQue;
    uint32_t cbOutQue;
};
static_assert(sizeof(COMSTAT) == 12);

// Modem status bits as GetCommModemStatus reports them.
inline constexpr uint32_t kModemCtsOn = 0x10;
inline constexpr uint32_t kModemDsrOn = 0x20;
inline constexpr uint32_t kModemRingOn = 0x40;
inline constexpr uint32_t kModemRlsdOn = 0x80;

}  // namespace kestrel
