#include "sim/PacketFramer.h"

#include <gtest/gtest.h>

#include <random>

#include "SimTestClient.h"
#include "status/SerialPacket.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

using testing::ConsolePacket;

constexpr uint64_t kStaleMs = 1000;
constexpr uint64_t kStart = 5000;

struct Seen {
    PacketScanStatus status;
    uint8_t type;
    bool crcMatches;
    std::vector<uint8_t> bytes;
};

class VentrixFramerTest : public ::testing::Test {
  protected:
    void Push(const std::vector<uint8_t>& bytes, uint64_t now = kStart) {
        m_framer.Push(bytes, now, Collect());
    }
    void Expire(uint64_t now) { m_framer.Expire(now, Collect()); }
    PacketFramer::PacketHandler Collect() {
        return [this](const PacketScan& scan, std::span<const uint8_t> packet) {
            m_seen.push_back({scan.status, scan.type, scan.crcMatches,
                              std::vector<uint8_t>(packet.begin(), packet.end())});
        };
    }

    PacketFramer m_framer{ScanVentrixPacket, kVentrixStartByte,
                          FramerLimits{kVentrixMaximumLength, kStaleMs}};
    std::vector<Seen> m_seen;
};

TEST_F(VentrixFramerTest, NullAndCompletePacketsInOneChunk) {
    std::vector<uint8_t> bytes = {0x02, 0x00};
    const std::vector<uint8_t> status = ConsolePacket(0x12);
    bytes.insert(bytes.end(), status.begin(), status.end());
    Push(bytes);
    ASSERT_EQ(m_seen.size(), 2u);
    EXPECT_EQ(m_seen[0].status, PacketScanStatus::NullPacket);
    EXPECT_EQ(m_seen[1].status, PacketScanStatus::Complete);
    EXPECT_EQ(m_seen[1].type, 0x12);
    EXPECT_TRUE(m_seen[1].crcMatches);
    EXPECT_EQ(m_seen[1].bytes, status);
    EXPECT_EQ(m_framer.Buffered(), 0u);
}

TEST_F(VentrixFramerTest, PacketArrivingOneByteAtATimeIsReportedOnceAtItsEnd) {
    const std::vector<uint8_t> packet = ConsolePacket(0x05, {'A', 'B'}, 2);
    for (size_t i = 0; i < packet.size(); ++i) {
        EXPECT_TRUE(m_seen.empty()) << i;
        Push({packet[i]});
    }
    ASSERT_EQ(m_seen.size(), 1u);
    EXPECT_EQ(m_seen[0].bytes, packet);
}

TEST_F(VentrixFramerTest, GarbageBeforeAPacketIsSkippedAndCounted) {
    std::vector<uint8_t> bytes = {'x', 'y', 0x7C, 0xFF, 0x00};
    const std::vector<uint8_t> packet = ConsolePacket(0x12);
    bytes.insert(bytes.end(), packet.begin(), packet.end());
    Push(bytes);
    ASSERT_EQ(m_seen.size(), 1u);
    EXPECT_EQ(m_seen[0].bytes, packet);
    EXPECT_EQ(m_framer.Counters().skippedBytes, 5u);
}

TEST_F(VentrixFramerTest, LengthBelowFiveIsDroppedAndTheNextPacketFound) {
    for (int length = 0; length < kVentrixMinimumLength; ++length) {
        m_seen.clear();
        std::vector<uint8_t> bytes = {0x02, 0x12, static_cast<uint8_t>(length)};
        const std::vector<uint8_t> packet = ConsolePacket(0x12);
        bytes.insert(bytes.end(), packet.begin(), packet.end());
        Push(bytes);
        ASSERT_EQ(m_seen.size(), 1u) << length;
        EXPECT_EQ(m_seen[0].bytes, packet);
    }
    EXPECT_EQ(m_framer.Counters().malformed, 5u);
}

TEST_F(VentrixFramerTest, BadCrcIsReportedAsSuch) {
    std::vector<uint8_t> packet = ConsolePacket(0x12);
    packet.back() ^= 0x01;
    Push(packet);
    ASSERT_EQ(m_seen.size(), 1u);
    EXPECT_FALSE(m_seen[0].crcMatches);
}

TEST_F(VentrixFramerTest, LengthBeyondWhatArrivedIsGivenUpWhenStaleAndWhatFollowsIsFound) {
    // A header claiming 200 bytes, then a real null poll and status request inside its span.
    std::vector<uint8_t> bytes = {0x02, 0x12, 200, 'a'};
    Push(bytes, kStart);
    Push({0x02, 0x00}, kStart + 10);
    Push(ConsolePacket(0x12), kStart + 20);
    EXPECT_TRUE(m_seen.empty());
    EXPECT_EQ(m_framer.NextDeadline(), kStart + kStaleMs);
    Expire(kStart + kStaleMs - 1);
    EXPECT_TRUE(m_seen.empty());
    Expire(kStart + kStaleMs);
    ASSERT_EQ(m_seen.size(), 2u);
    EXPECT_EQ(m_seen[0].status, PacketScanStatus::NullPacket);
    EXPECT_EQ(m_seen[1].type, 0x12);
    EXPECT_TRUE(m_seen[1].crcMatches);
    EXPECT_EQ(m_framer.Counters().abandoned, 1u);
    EXPECT_EQ(m_framer.NextDeadline(), 0u);
}

TEST_F(VentrixFramerTest, MegabyteOfNoiseKeepsTheBufferBoundedAndAPacketStillGetsThrough) {
    std::mt19937 random(7);
    std::vector<uint8_t> noise(1 << 20);
    for (uint8_t& byte : noise) {
        byte = static_cast<uint8_t>(random());
    }
    for (size_t at = 0; at < noise.size(); at += 4096) {
        Push(std::vector<uint8_t>(noise.begin() + static_cast<long>(at),
                                  noise.begin() + static_cast<long>(at + 4096)));
        ASSERT_LT(m_framer.Buffered(), static_cast<size_t>(kVentrixMaximumLength));
    }
    m_seen.clear();
    const std::vector<uint8_t> packet = ConsolePacket(0x12);
    Push(packet, kStart + 1);
    // The noise may end inside a frame that waits for its rest; that frame goes stale.
    for (uint64_t t = kStart + kStaleMs; m_seen.empty() && t < kStart + 300 * kStaleMs;
         t += kStaleMs) {
        Expire(t);
    }
    ASSERT_FALSE(m_seen.empty());
    EXPECT_EQ(m_seen.back().bytes, packet);
}

TEST(SerialFramerTest, FindsSerialPacketsAndGivesUpOnesTooLongToWaitFor) {
    constexpr int kLimit = 64;
    PacketFramer framer(ScanSerialPacket, kSerialStartByte, FramerLimits{kLimit, kStaleMs});
    std::vector<std::vector<uint8_t>> seen;
    const auto collect = [&](const PacketScan& scan, std::span<const uint8_t> packet) {
        EXPECT_TRUE(scan.crcMatches);
        seen.emplace_back(packet.begin(), packet.end());
    };
    const std::vector<uint8_t> data = {0x1D, 0x79};
    const std::vector<uint8_t> packet = BuildSerialPacket(3, data);
    // A header announcing 1000 bytes: waited for only up to the limit.
    std::vector<uint8_t> bytes = {0xFF, 0x03, 0xE8, 0x00};
    bytes.insert(bytes.end(), kLimit, 0x20);
    bytes.insert(bytes.end(), packet.begin(), packet.end());
    framer.Push(bytes, kStart, collect);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], packet);
    EXPECT_EQ(framer.Counters().abandoned, 1u);
    EXPECT_LT(framer.Buffered(), static_cast<size_t>(kLimit));
}

}  // namespace
}  // namespace kestrel
