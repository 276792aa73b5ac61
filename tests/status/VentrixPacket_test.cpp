#include "status/VentrixPacket.h"

#include <gtest/gtest.h>

#include <vector>

#include "status/Crc16.h"

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

// Frames a command in a work buffer with room for the framing, as the transmit operation does.
Bytes Frame(Bytes command, SequenceState& sequence) {
    const int count = static_cast<int>(command.size());
    command.resize(command.size() + kVentrixFramingBytes, 0xEE);
    const int framed = FrameVentrixPacket(command.data(), count, sequence);
    command.resize(static_cast<size_t>(framed));
    return command;
}

TEST(FrameVentrixPacket, FramesACommandAfterReset) {
    SequenceState sequence;
    sequence.Reset();
    EXPECT_EQ(Frame({0x02, 0x05, 0x41}, sequence), (Bytes{0x02, 0x05, 0x06, 0x41, 0x96, 0x07}));
    // The next packet carries sequence 1 in bits 6 and 7.
    EXPECT_EQ(Frame({0x02, 0x05, 0x41}, sequence), (Bytes{0x02, 0x45, 0x06, 0x41, 0xE0, 0x01}));
}

TEST(FrameVentrixPacket, CrcTravelsLowByteFirst) {
    SequenceState sequence;
    const Bytes framed = Frame({0x02, 0x12, 'a', 'b', 'c'}, sequence);
    ASSERT_EQ(framed.size(), 8u);
    EXPECT_EQ(framed[2], 8);
    const uint16_t crc = Crc16Kermit(0, 6, framed.data());
    EXPECT_EQ(framed[6], crc & 0xFF);
    EXPECT_EQ(framed[7], crc >> 8);
}

TEST(FrameVentrixPacket, NullPacketAndShortCommandsStayUnframed) {
    SequenceState sequence;
    EXPECT_EQ(Frame({0x02, 0x00}, sequence), (Bytes{0x02, 0x00}));
    EXPECT_EQ(Frame({0x02, 0x00, 0x41}, sequence), (Bytes{0x02, 0x00, 0x41}));
    EXPECT_EQ(Frame({0x02}, sequence), (Bytes{0x02}));
    EXPECT_EQ(Frame({}, sequence), Bytes{});
    EXPECT_EQ(sequence.m_sequenceNumber, 0);  // none of them took a number
}

TEST(FrameVentrixPacket, TypeOnlyCommandGetsLengthFive) {
    SequenceState sequence;
    const Bytes framed = Frame({0x02, 0x12}, sequence);
    ASSERT_EQ(framed.size(), 5u);
    EXPECT_EQ(framed[2], 5);
    EXPECT_TRUE(ScanVentrixPacket(framed.data(), 5).crcMatches);
}

TEST(FrameVentrixPacket, DisabledNumberingLeavesTheTypeByte) {
    SequenceState sequence;
    sequence.m_sequenceNumber = 2;
    sequence.m_sequenceBitsDisabled = 1;
    EXPECT_EQ(Frame({0x02, 0x05, 0x41}, sequence)[1], 0x05);
    sequence.m_sequenceBitsDisabled = 0;
    EXPECT_EQ(Frame({0x02, 0x05, 0x41}, sequence)[1], 0x85);
}

TEST(FrameVentrixPacket, LengthByteKeepsEightBits) {
    SequenceState sequence;
    Bytes command(300, 0x41);
    command[0] = 0x02;
    command[1] = 0x07;
    const Bytes framed = Frame(command, sequence);
    ASSERT_EQ(framed.size(), 303u);
    EXPECT_EQ(framed[2], 303 & 0xFF);
    const uint16_t crc = Crc16KermitOver(framed.data(), 301);
    EXPECT_EQ(framed[301], crc & 0xFF);
    EXPECT_EQ(framed[302], crc >> 8);
}

TEST(BuildVentrixPacket, LaysOutStartTypeLengthPayloadCrc) {
    const Bytes payload{'|', 'a', '|'};
    const Bytes packet = BuildVentrixPacket(0x12, payload);
    ASSERT_EQ(packet.size(), 8u);
    EXPECT_EQ(packet[0], 0x02);
    EXPECT_EQ(packet[1], 0x12);
    EXPECT_EQ(packet[2], 8);
    EXPECT_EQ(Bytes(packet.begin() + 3, packet.begin() + 6), payload);
    const uint16_t crc = Crc16Kermit(0, 6, packet.data());
    EXPECT_EQ(packet[6], crc & 0xFF);
    EXPECT_EQ(packet[7], crc >> 8);
}

TEST(BuildVentrixPacket, PayloadLimit) {
    EXPECT_EQ(BuildVentrixPacket(0x12, Bytes(250, 0)).size(), 255u);
    EXPECT_TRUE(BuildVentrixPacket(0x12, Bytes(251, 0)).empty());
    EXPECT_EQ(BuildVentrixPacket(0x12, {}).size(), 5u);
}

TEST(ScanVentrixPacket, ReadsACompletePacket) {
    Bytes bytes = BuildVentrixPacket(0x52, Bytes{1, 2, 3, 4});
    bytes.push_back(0x02);  // the start of the next packet is not part of this one
    const PacketScan scan = ScanVentrixPacket(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(scan.status, PacketScanStatus::Complete);
    EXPECT_EQ(scan.length, 9);
    EXPECT_EQ(scan.type, 0x12);
    EXPECT_EQ(scan.sequence, 1);
    EXPECT_EQ(scan.payloadOffset, 3);
    EXPECT_EQ(scan.payloadSize, 4);
    EXPECT_TRUE(scan.crcMatches);
    EXPECT_EQ(scan.packetCrc, scan.computedCrc);
}

TEST(ScanVentrixPacket, NullPacketAndLoneStartByte) {
    const Bytes null{0x02, 0x00, 0x41};
    PacketScan scan = ScanVentrixPacket(null.data(), 3);
    EXPECT_EQ(scan.status, PacketScanStatus::NullPacket);
    EXPECT_EQ(scan.length, 2);
    scan = ScanVentrixPacket(null.data(), 1);
    EXPECT_EQ(scan.status, PacketScanStatus::NeedMore);
    EXPECT_EQ(scan.length, 0);
    EXPECT_EQ(ScanVentrixPacket(null.data(), 0).status, PacketScanStatus::NeedMore);
}

TEST(ScanVentrixPacket, OtherFirstByteIsNoStart) {
    const Bytes bytes{0x41, 0x02, 0x00};
    const PacketScan scan = ScanVentrixPacket(bytes.data(), 3);
    EXPECT_EQ(scan.status, PacketScanStatus::NotStart);
    EXPECT_EQ(scan.length, 0);
}

TEST(ScanVentrixPacket, TruncatedPacketWaitsForEveryMissingByte) {
    const Bytes packet = BuildVentrixPacket(0x12, Bytes{'|', '|', '|', 0, 0});
    for (size_t available = 1; available < packet.size(); ++available) {
        // A copy of exactly the available bytes, so reading beyond them is caught by ASan.
        const Bytes part(packet.begin(), packet.begin() + static_cast<long>(available));
        const PacketScan scan = ScanVentrixPacket(part.data(), static_cast<int>(available));
        EXPECT_EQ(scan.status, PacketScanStatus::NeedMore) << available;
        EXPECT_EQ(scan.length, 0);
    }
}

TEST(ScanVentrixPacket, BadCrcReportsBothValues) {
    Bytes packet = BuildVentrixPacket(0x12, Bytes{'x'});
    const uint16_t good = static_cast<uint16_t>(packet[4] | (packet[5] << 8));
    packet[3] = 'y';
    const PacketScan scan = ScanVentrixPacket(packet.data(), static_cast<int>(packet.size()));
    EXPECT_EQ(scan.status, PacketScanStatus::Complete);
    EXPECT_EQ(scan.length, 6);
    EXPECT_FALSE(scan.crcMatches);
    EXPECT_EQ(scan.packetCrc, good);
    EXPECT_EQ(scan.computedCrc, Crc16Kermit(0, 4, packet.data()));
    EXPECT_NE(scan.computedCrc, scan.packetCrc);
}

TEST(ScanVentrixPacket, LengthBelowFiveIsMalformedAndSkipsTheHeader) {
    for (uint8_t length = 0; length < kVentrixMinimumLength; ++length) {
        const Bytes bytes{0x02, 0x12, length};
        const PacketScan scan = ScanVentrixPacket(bytes.data(), 3);
        EXPECT_EQ(scan.status, PacketScanStatus::Malformed) << int{length};
        EXPECT_EQ(scan.length, kVentrixHeaderBytes);
        EXPECT_FALSE(scan.crcMatches);
    }
}

TEST(ScanVentrixPacket, DecoderLoopAlwaysMakesProgress) {
    // Null packet, malformed header, good packet, bad packet, then a stray byte.
    Bytes stream{0x02, 0x00, 0x02, 0x12, 0x03};
    const Bytes good = BuildVentrixPacket(0x12, Bytes{7});
    Bytes bad = BuildVentrixPacket(0x05, Bytes{8, 9});
    bad.back() ^= 0xFF;
    stream.insert(stream.end(), good.begin(), good.end());
    stream.insert(stream.end(), bad.begin(), bad.end());
    stream.push_back(0x41);

    std::vector<PacketScanStatus> seen;
    size_t pos = 0;
    while (pos < stream.size()) {
        const PacketScan scan =
            ScanVentrixPacket(stream.data() + pos, static_cast<int>(stream.size() - pos));
        seen.push_back(scan.status);
        if (scan.length == 0) {
            break;
        }
        pos += static_cast<size_t>(scan.length);
    }
    EXPECT_EQ(seen, (std::vector<PacketScanStatus>{
                        PacketScanStatus::NullPacket, PacketScanStatus::Malformed,
                        PacketScanStatus::Complete, PacketScanStatus::Complete,
                        PacketScanStatus::NotStart}));
    EXPECT_EQ(pos, stream.size() - 1);
}

}  // namespace
}  // namespace kestrel
