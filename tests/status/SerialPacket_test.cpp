#include "status/SerialPacket.h"

#include <gtest/gtest.h>

#include <vector>

#include "status/Crc16.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Frame(Bytes data, SequenceState& sequence) {
    const int count = static_cast<int>(data.size());
    data.resize(data.size() + kSerialFramingBytes, 0xEE);
    const int framed = FrameSerialPacket(data.data(), count, sequence);
    data.resize(static_cast<size_t>(framed));
    return data;
}

TEST(FrameSerialPacket, OneByteBecomesEightBytes) {
    SequenceState sequence;
    EXPECT_EQ(Frame({0x41}, sequence), (Bytes{0xFF, 0x00, 0x08, 0x00, 0x00, 0x41, 0x5F, 0xD6}));
    EXPECT_EQ(Frame({0x41}, sequence), (Bytes{0xFF, 0x00, 0x08, 0x01, 0x00, 0x41, 0x9F, 0x87}));
}

TEST(FrameSerialPacket, CrcTravelsHighByteFirst) {
    SequenceState sequence;
    const Bytes framed = Frame({'a', 'b', 'c'}, sequence);
    ASSERT_EQ(framed.size(), 10u);
    const uint16_t crc = Crc16Arc(0, 8, framed.data());
    EXPECT_EQ(framed[8], crc >> 8);
    EXPECT_EQ(framed[9], crc & 0xFF);
}

TEST(FrameSerialPacket, SequenceBytesRunAndStopWhenDisabled) {
    SequenceState sequence;
    std::vector<int> numbers;
    for (int i = 0; i < 9; ++i) {
        numbers.push_back(Frame({0x41}, sequence)[3]);
    }
    EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 1}));
    sequence.m_sequenceBitsDisabled = 1;
    EXPECT_EQ(Frame({0x41}, sequence)[3], 0);
    EXPECT_EQ(sequence.m_sequenceNumber, 2);
}

TEST(FrameSerialPacket, LengthIsSixteenBitsHighByteFirst) {
    SequenceState sequence;
    EXPECT_EQ(Frame({}, sequence), (Bytes{0xFF, 0x00, 0x07, 0x00, 0x00, 0xD5, 0xA5}));
    const Bytes framed = Frame(Bytes(300, 0x20), sequence);
    ASSERT_EQ(framed.size(), 307u);
    EXPECT_EQ(framed[1], 307 / 256);
    EXPECT_EQ(framed[2], 307 % 256);
    EXPECT_TRUE(ScanSerialPacket(framed.data(), 307).crcMatches);
}

TEST(FrameSerialPacket, CountsThatDoNotFitTheLengthAreRefused) {
    SequenceState sequence;
    uint8_t buffer[8] = {0x41};
    EXPECT_EQ(FrameSerialPacket(buffer, -1, sequence), 0);
    EXPECT_EQ(FrameSerialPacket(buffer, kSerialMaximumData + 1, sequence), 0);
    EXPECT_EQ(buffer[0], 0x41);
    EXPECT_EQ(sequence.m_sequenceNumber, 0);
}

TEST(BuildSerialPacket, MatchesTheFramer) {
    SequenceState sequence;
    EXPECT_EQ(BuildSerialPacket(0, Bytes{1, 2, 3}), Frame({1, 2, 3}, sequence));
    EXPECT_TRUE(BuildSerialPacket(0, Bytes(kSerialMaximumData + 1, 0)).empty());
}

TEST(ScanSerialPacket, ReadsACompletePacket) {
    Bytes bytes = BuildSerialPacket(5, Bytes{9, 8, 7});
    bytes.push_back(0xFF);
    const PacketScan scan = ScanSerialPacket(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(scan.status, PacketScanStatus::Complete);
    EXPECT_EQ(scan.length, 10);
    EXPECT_EQ(scan.sequence, 5);
    EXPECT_EQ(scan.payloadOffset, 5);
    EXPECT_EQ(scan.payloadSize, 3);
    EXPECT_TRUE(scan.crcMatches);
}

TEST(ScanSerialPacket, StartTruncationAndBadCrc) {
    const Bytes other{0x02, 0x00};
    EXPECT_EQ(ScanSerialPacket(other.data(), 2).status, PacketScanStatus::NotStart);
    EXPECT_EQ(ScanSerialPacket(other.data(), 0).status, PacketScanStatus::NeedMore);

    Bytes packet = BuildSerialPacket(1, Bytes{0x41});
    for (size_t available = 1; available < packet.size(); ++available) {
        const Bytes part(packet.begin(), packet.begin() + static_cast<long>(available));
        EXPECT_EQ(ScanSerialPacket(part.data(), static_cast<int>(available)).status,
                  PacketScanStatus::NeedMore)
            << available;
    }
    packet[5] = 0x42;
    const PacketScan scan = ScanSerialPacket(packet.data(), static_cast<int>(packet.size()));
    EXPECT_EQ(scan.status, PacketScanStatus::Complete);
    EXPECT_FALSE(scan.crcMatches);
    EXPECT_EQ(scan.computedCrc, Crc16Arc(0, 6, packet.data()));
    EXPECT_EQ(scan.packetCrc, 0x9F87);
}

TEST(ScanSerialPacket, LengthBelowSevenIsMalformed) {
    for (int length = 0; length < kSerialFramingBytes; ++length) {
        const Bytes bytes{0xFF, 0x00, static_cast<uint8_t>(length)};
        const PacketScan scan = ScanSerialPacket(bytes.data(), 3);
        EXPECT_EQ(scan.status, PacketScanStatus::Malformed) << length;
        EXPECT_EQ(scan.length, kSerialLengthBytesRead);
    }
}

}  // namespace
}  // namespace kestrel
