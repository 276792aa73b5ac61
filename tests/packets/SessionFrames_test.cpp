// The frames the packet view lists, from what passes the recording point: every kind, bad CRCs,
// bytes that belong to no frame, and frames whose bytes arrive in pieces.
#include <gtest/gtest.h>

#include "packets/PacketTestSupport.h"
#include "status/ClearAllCommand.h"
#include "status/PrinterMode.h"
#include "status/SerialPacket.h"

namespace kestrel {
namespace {

using testing::ManualClock;
using testing::RowTexts;
using testing::StatusPacket;

constexpr int kVentrix = static_cast<int>(PrinterMode::Ventrix);
constexpr int kSmart = static_cast<int>(PrinterMode::Smart);
constexpr int kSerial = static_cast<int>(PrinterMode::SerialPacket);
constexpr int kNormal = static_cast<int>(PrinterMode::Normal);

struct Burst {
    uint64_t atUs;
    int direction;
    int mode;
    TrafficFraming framing;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<uint8_t> From(const std::vector<uint8_t>& bytes, size_t first) {
    return std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.end());
}

std::vector<uint8_t> WithBadCrc(std::vector<uint8_t> packet) {
    packet.back() ^= 0x5A;
    return packet;
}

std::vector<uint8_t> ClearAllAsSent() {
    std::vector<uint8_t> work(kClearAllCommand.begin(), kClearAllCommand.end());
    work.resize(work.size() + kVentrixFramingBytes);
    SequenceState sequence;
    sequence.m_sequenceNumber = 2;
    work.resize(static_cast<size_t>(
        FrameVentrixPacket(work.data(), static_cast<int>(kClearAllCommand.size()), sequence)));
    return work;
}

struct Case {
    const char* name;
    std::vector<Burst> bursts;
    std::vector<std::string> rows;
};

class SessionFramesTest : public ::testing::TestWithParam<Case> {};

TEST_P(SessionFramesTest, ListsTheFramesOfBothDirections) {
    ManualClock clock;
    SessionFrames frames(clock.Function());
    PacketStore store;
    frames.AddSink(store);
    for (const Burst& burst : GetParam().bursts) {
        clock.now = burst.atUs;
        frames.OnTraffic(burst.bytes.data(), static_cast<int>(burst.bytes.size()), burst.direction,
                         burst.mode, burst.framing);
    }
    clock.now += 5'000'000;
    frames.Tick();
    EXPECT_EQ(RowTexts(store), GetParam().rows);
    size_t bytes = 0;
    for (size_t row = 0; row < store.RowCount(); ++row) {
        bytes += store.Row(row).size;
    }
    EXPECT_EQ(bytes, frames.SessionBytes()) << "every byte is in exactly one row";
}

const auto kSent = TrafficSent;
const auto kReceived = TrafficReceived;
const auto kNone = TrafficFraming::None;
const auto kFramed = TrafficFraming::Ventrix;

INSTANTIATE_TEST_SUITE_P(
    Frames, SessionFramesTest,
    ::testing::Values(
        Case{"VentrixStatusNullClearAllAndBadCrc",
             {{0, kSent, kVentrix, kFramed, BuildVentrixPacket(0x12, {})},
              {100, kReceived, kVentrix, kNone,
               Join({StatusPacket({1077, 1089}), {0x02, 0x00}, WithBadCrc(StatusPacket({}))})},
              {200, kSent, kVentrix, kFramed, ClearAllAsSent()},
              {300, kReceived, kVentrix, kNone, {0x02, 0x12, 0x03}}},
             {"M Mode: Ventrix", "S Ventrix: Status request",
              "R Ventrix: Status: Printer Busy, Paper Jam", "R Ventrix: Null packet",
              "R Ventrix: CRC mismatch: the packet is dropped", "S Ventrix: Clear-all",
              "R Ventrix: Malformed: length byte 3 is below 5"}},
        Case{"NoiseBeforeAPacketAndAPacketInTwoReads",
             {{0, kReceived, kVentrix, kNone, Join({{'A', 'B'}, {0x02, 0x12}})},
              {50'000, kReceived, kVentrix, kNone, From(StatusPacket({}), 2)}},
             {"M Mode: Ventrix", "R Bytes: \"AB\"", "R Ventrix: Status: no condition set"}},
        Case{"SerialPacketsAndTheirCrc",
             {{0, kSent, kSerial, TrafficFraming::SerialPacket, BuildSerialPacket(3, {{0x41}})},
              {10, kReceived, kSerial, kNone,
               Join({BuildSerialPacket(1, {{0x42, 0x43}}),
                     WithBadCrc(BuildSerialPacket(2, {{0x44}}))})}},
             {"M Mode: SerialPacket", "S Serial: Data \"A\"", "R Serial: Data \"BC\"",
              "R Serial: CRC mismatch"}},
        Case{"SmartRecords",
             {{0, kReceived, kSmart, kNone,
               Join({{'x', 0x81, 0x02, 0x01},
                     {0x82, 'O', 'K', 0},
                     std::vector<uint8_t>(56, 0),
                     {0x85, 40, 0x86, 3, 0x87, 4, 0x84, 9}})}},
             {"M Mode: Smart", "R Bytes: \"x\"", "R Smart: Status: Ticket Low, Ticket Jam",
              "R Smart: Information line 1 \"OK\"", "R Smart: Printed 40%",
              "R Smart: Critical field done: 3", "R Smart: Non-critical field done: 4",
              "R Smart: Skipped code, data 0x09"}},
        Case{"BytesGroupedUntilQuietOrTheOtherDirection",
             {{0, kSent, kNormal, kNone, {0x1B, '@'}},
              {5'000, kSent, kNormal, kNone, {'A'}},
              {40'000, kSent, kNormal, kNone, {'B'}},
              {41'000, kReceived, kNormal, kNone, {'C'}},
              {42'000, kSent, kNormal, kNone, {'D'}}},
             {"M Mode: Normal", "S Bytes: \"[ESC]@A\"", "S Bytes: \"B\"", "R Bytes: \"C\"",
              "S Bytes: \"D\""}},
        Case{"AnIncompletePacketGoesOutAsBytesAndAModeChangeEndsIt",
             {{0, kReceived, kVentrix, kNone, {0x02, 0x12, 0x20, 0x01}},
              {2'000'000, kReceived, kVentrix, kNone, {0x02, 0x12}},
              {2'000'100, kReceived, kSmart, kNone, {0x85, 7}}},
             {"M Mode: Ventrix", "R Bytes: \"[STX][DC2] [SOH]\"", "R Bytes: \"[STX][DC2]\"",
              "M Mode: Smart", "R Smart: Printed 7%"}}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(SessionFramesArrivals, ABytesAfterTheOtherDirectionKeepsItsOwnPlaceInTheSession) {
    ManualClock clock;
    SessionFrames frames(clock.Function());
    PacketStore store;
    frames.AddSink(store);
    const std::vector<uint8_t> status = StatusPacket({1074});
    frames.OnTraffic(status.data(), 4, kReceived, kVentrix, kNone);
    clock.now = 300;
    const uint8_t poll[] = {0x02, 0x00};
    frames.OnTraffic(poll, 2, kSent, kVentrix, kFramed);
    clock.now = 600;
    frames.OnTraffic(status.data() + 4, static_cast<int>(status.size() - 4), kReceived, kVentrix,
                     kNone);
    ASSERT_EQ(store.RowCount(), 3u);
    const auto arrivals = store.Arrivals(2);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].index, 4u);
    EXPECT_EQ(arrivals[0].sessionByte, 6u);  // after the two sent bytes
    EXPECT_EQ(arrivals[0].timeUs, 600u);
    EXPECT_EQ(store.LastSessionByte(2), status.size() + 2 - 1);
}

}  // namespace
}  // namespace kestrel
