// Opening the selected port, framing and sending bytes, receiving them, and recording both
// directions in the traffic capture.

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "app/CKestrelApp.h"
#include "platform/CommTypes.h"
#include "status/PrinterMode.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {

namespace {

// Before a Ventrix start byte the output queue is given up to this many rounds to drain.
constexpr int kDrainRounds = 100;
constexpr uint32_t kDrainWaitMs = 10;
// After the start byte a serial port's queue is watched more closely: the parity must not
// change while the byte still waits in it, or it would leave without its ninth bit. Other
// kinds of port have no parity to keep.
constexpr uint32_t kStartByteDrainWaitMs = 1;
// The length byte counts the whole packet: a command longer than this cannot be framed.
constexpr int kVentrixLongestCommand = kVentrixMaximumLength - kVentrixFramingBytes;
constexpr uint32_t kStartByteWaitMs = 2;
constexpr uint32_t kTransmitTotalTimeoutMs = 100;
constexpr uint32_t kTransmitIntervalTimeoutMs = 10;

// Waits in rounds of `waitMs` while the port still holds bytes to send, at most kDrainRounds.
void DrainOutput(IOComm& port, Clock& clock, uint32_t waitMs) {
    for (int round = 0; round < kDrainRounds && port.InputPending() != 0; ++round) {
        clock.Sleep(waitMs);
    }
}

}  // namespace

long CKestrelApp::OpenSelectedPort() {
    return m_ioComm.Open(m_portName, "", 1);
}

int CKestrelApp::Transmit(const uint8_t* bytes, int count, int ventrixFraming) {
    const bool serialPacket =
        !ventrixFraming && m_printerMode == static_cast<int>(PrinterMode::SerialPacket);
    const int data = std::max(count, 0);
    const int framing =
        ventrixFraming ? kVentrixFramingBytes : (serialPacket ? kSerialFramingBytes : 0);
    if (data == 0) {
        return 0;  // nothing to send, not even a start byte
    }
    if (serialPacket && data > kSerialMaximumData) {
        return 0;  // its length cannot be written into the packet: nothing is sent
    }
    const bool nullPacket = data < 2 || bytes[1] == kVentrixNullType;
    if (ventrixFraming && !nullPacket && data > kVentrixLongestCommand) {
        WriteAppLog("Transmit: a Ventrix command of " + std::to_string(data) +
                    " bytes is longer than a packet's length byte can hold (" +
                    std::to_string(kVentrixLongestCommand) + " bytes); it was not sent.");
        return 0;
    }
    // The fixed work buffer takes every usual transmission; a longer one (a whole ticket file
    // can be 10,000 bytes) gets a buffer of its own size, so nothing is cut off or overrun.
    std::array<uint8_t, kTransmitBufferSize> fixed{};
    std::vector<uint8_t> large;
    uint8_t* work = fixed.data();
    if (static_cast<size_t>(data) + static_cast<size_t>(framing) > fixed.size()) {
        large.assign(static_cast<size_t>(data + framing), 0);
        work = large.data();
    }
    if (data > 0) {
        std::memcpy(work, bytes, static_cast<size_t>(data));
    }
    m_ioComm.SetTimeouts(kTransmitTotalTimeoutMs, kTransmitIntervalTimeoutMs);

    int result = 0;
    if (ventrixFraming) {
        DrainOutput(m_ioComm, m_clock, kDrainWaitMs);
        m_clock.Sleep(kDrainWaitMs);
        m_ioComm.SetParity(kMarkParity);
        m_ioComm.Output(work, 1);
        if (m_ioComm.m_bytesWritten != 1) {
            m_ioComm.SetParity(kSpaceParity);
            return 0;  // the start byte did not go out: nothing was sent
        }
        if (m_ioComm.GetKind() == KindSerial) {
            DrainOutput(m_ioComm, m_clock, kStartByteDrainWaitMs);
        }
        m_clock.Sleep(kStartByteWaitMs);
        m_ioComm.SetParity(kSpaceParity);
        const int framed = FrameVentrixPacket(work, data, m_sequence);
        if (framed > 1) {
            m_ioComm.Output(work + 1, framed - 1);
            result = m_ioComm.m_bytesWritten + 1;
        } else {
            result = 1;
        }
    } else if (serialPacket) {
        const int length = FrameSerialPacket(work, data, m_sequence);
        m_ioComm.Output(work, length);
        result = m_ioComm.m_bytesWritten;
    } else {
        m_ioComm.Output(work, data);
        result = m_ioComm.m_bytesWritten;
    }
    for (int i = 0; i < result; ++i) {
        m_capture.Record(work[i], m_clock.GetTickCount(), TrafficSent);
    }
    if (m_trafficObserver != nullptr && result > 0) {
        const TrafficFraming how = ventrixFraming ? TrafficFraming::Ventrix
                                   : serialPacket ? TrafficFraming::SerialPacket
                                                  : TrafficFraming::None;
        m_trafficObserver->OnTraffic(work, result, TrafficSent, m_printerMode, how);
    }
    return result;
}

int CKestrelApp::Receive(uint8_t* buffer, int size) {
    m_ioComm.Input(buffer, size);
    const int received = m_ioComm.m_lastReadCount;
    if (received <= 0) {
        return received;
    }
    for (int i = 0; i < received; ++i) {
        m_capture.Record(buffer[i], m_clock.GetTickCount(), TrafficReceived);
    }
    if (m_trafficObserver != nullptr) {
        m_trafficObserver->OnTraffic(buffer, received, TrafficReceived, m_printerMode,
                                     TrafficFraming::None);
    }
    return received;
}

}  // namespace kestrel
