// A status decoder with a fake console window and a recording application log, fed as the read
// tick feeds it: bytes appended behind the fill, then one pass and the compaction.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "status/PrinterMode.h"
#include "status/StatusDecoder.h"
#include "status/StatusPacket.h"
#include "status/VentrixPacket.h"
#include "support/FakeDialogHost.h"
#include "support/RecordingStatusLog.h"

namespace kestrel::testing {

using Bytes = std::vector<uint8_t>;

// The payload of a status packet as the printer lays it out: three "|"-ended identity fields,
// then the five status bytes with a filler byte between each two.
inline Bytes StatusPayload(const StatusBytes& status) {
    const std::string identity = "V60|1.00|0001|";
    Bytes payload(identity.begin(), identity.end());
    for (int i = 0; i < kStatusByteCount; ++i) {
        if (i > 0) {
            payload.push_back(0x00);
        }
        payload.push_back(status[i]);
    }
    return payload;
}

inline Bytes StatusPacket(const StatusBytes& status, uint8_t typeByte = kStatusPacketType) {
    return BuildVentrixPacket(typeByte, StatusPayload(status));
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class StatusDecoderTest : public ::testing::Test {
  protected:
    void Receive(const Bytes& bytes) {
        ASSERT_LE(decoder.m_statusFill + static_cast<int>(bytes.size()), kStatusBufferSize);
        std::copy(bytes.begin(), bytes.end(), decoder.m_statusBuffer + decoder.m_statusFill);
        decoder.m_statusFill += static_cast<int>(bytes.size());
    }

    // One read tick's pass and compaction.
    void Pass(PrinterMode mode) {
        decoder.DecodeStatus(static_cast<int>(mode), host, log);
        decoder.Compact();
        ASSERT_LE(0, decoder.m_statusPos);
        ASSERT_LE(decoder.m_statusPos, decoder.m_statusFill + kSkippedDataBytePending);
        ASSERT_LE(decoder.m_statusFill, kStatusBufferSize);
    }

    // Those of `ids` whose box is checked.
    std::vector<int> CheckedAmong(const std::vector<int>& ids) const {
        std::vector<int> checked;
        for (int id : ids) {
            if (host.IsButtonChecked(id)) {
                checked.push_back(id);
            }
        }
        return checked;
    }

    void CheckAll(const std::vector<int>& ids, int checked) {
        for (int id : ids) {
            host.CheckButton(id, checked);
        }
    }

    StatusDecoder decoder;
    FakeDialogHost host;
    RecordingStatusLog log;
};

}  // namespace kestrel::testing
