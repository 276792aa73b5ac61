// Ventrix mode: packets with their CRC, the 22 condition boxes, the error flag and the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "StatusDecoderFixture.h"
#include "status/Crc16.h"

namespace kestrel::testing {
namespace {

// Every box of the Ventrix group.
std::vector<int> AllConditionBoxes() {
    std::vector<int> ids;
    for (int id = 1072; id <= 1093; ++id) {
        ids.push_back(id);
    }
    return ids;
}

class VentrixDecodingTest : public StatusDecoderTest {
  protected:
    void PassVentrix() { Pass(PrinterMode::Ventrix); }

    std::vector<int> CheckedBoxes() const { return CheckedAmong(AllConditionBoxes()); }

    // Each logged name followed by the pane's text, as the decoder writes them.
    std::vector<std::string> WithPaneText(const std::vector<std::string>& names) const {
        std::vector<std::string> entries;
        for (const std::string& name : names) {
            entries.push_back(name);
            entries.push_back(log.m_paneText);
        }
        return entries;
    }
};

struct BitCase {
    const char* what;
    StatusBytes status;
    std::vector<int> checked;
    int inError;
    std::vector<std::string> logged;
    Bytes noise = {};  // stray bytes before the packet, skipped in one pass
};

TEST_F(VentrixDecodingTest, StatusBitsSetBoxesFlagAndLog) {
    const BitCase cases[] = {
        {"all zero", {0, 0, 0, 0, 0}, {}, 0, {}},
        {"paper in chute", {0, 0, 0x08, 0, 0}, {1085}, 0, {}},
        {"busy", {0x20, 0, 0, 0, 0}, {1077}, 1, {}},
        {"top of next form", {0, 0, 0, 0, 0x10}, {1092}, 0, {"IDC_CHECKNEXT"}},
        {"barcodes done", {0, 0, 0, 0, 0x20}, {1093}, 0, {}},
        {"jam", {0, 0, 0, 0x02, 0}, {1089}, 1, {"IDC_CHECKJAM"}},
        {"corrupt template", {0, 0, 0x10, 0, 0}, {1087}, 1, {"IDC_CHECKCORR"}},
        {"invalid command", {0, 0, 0x20, 0, 0}, {1086}, 1, {"IDC_CHECKINVALID"}},
        {"over temperature", {0, 0x20, 0, 0, 0}, {1082}, 1, {"IDC_CHECKTEMPHIGH"}},
        {"voltage and door",
         {0x01, 0, 0, 0, 0x04},
         {1072, 1090},
         1,
         {"IDC_CHECKVOLT", "IDC_CHECKOPEN"}},
        {"ignored bits only", {0xC0, 0xD0, 0xC2, 0xFC, 0xC3}, {}, 0, {}},
        {"jam after a stray byte", {0, 0, 0, 0x02, 0}, {1089}, 1, {"IDC_CHECKJAM"}, {0xAA}},
        {"after noise", {0, 0, 0x08, 0, 0}, {1085}, 0, {}, {0x41, 0xFF, 0x00, 0x12}},
        {"every bit",
         {0x3F, 0x2F, 0x3D, 0x03, 0x3C},
         AllConditionBoxes(),
         1,
         {"IDC_CHECKVOLT", "IDC_CHECKHEAD", "IDC_CHECKPO", "IDC_CHECKPHUP", "IDC_CHECKPE",
          "IDC_CHECKMEM", "IDC_CHECKOVER", "IDC_CHECKTEMPERR", "IDC_CHECKDATERR",
          "IDC_CHECKTEMPHIGH", "IDC_CHECKTOF", "IDC_CHECKFIRM", "IDC_CHECKCORR", "IDC_CHECKINVALID",
          "IDC_CHECKLOW", "IDC_CHECKJAM", "IDC_CHECKOPEN", "IDC_CHECKABORTED", "IDC_CHECKNEXT"}},
    };
    for (const BitCase& c : cases) {
        SCOPED_TRACE(c.what);
        decoder.Clear();
        log.m_entries.clear();
        // Every box and the flag start opposite to what the packet should leave.
        CheckAll(AllConditionBoxes(), 1);
        decoder.m_printerInError = 1 - c.inError;
        const Bytes packet = StatusPacket(c.status);
        Receive(Concat({c.noise, packet}));
        if (!c.noise.empty()) {
            PassVentrix();
            EXPECT_EQ(decoder.m_statusPos, static_cast<int>(c.noise.size()));
            EXPECT_EQ(CheckedBoxes(), AllConditionBoxes());  // nothing decoded from the noise
            EXPECT_TRUE(log.m_entries.empty());
        }
        PassVentrix();
        EXPECT_EQ(decoder.m_statusPos, static_cast<int>(c.noise.size() + packet.size()));
        EXPECT_EQ(CheckedBoxes(), c.checked);
        EXPECT_EQ(decoder.m_printerInError, c.inError);
        EXPECT_EQ(log.m_entries, WithPaneText(c.logged));
        EXPECT_EQ(host.m_checks.size(), 22u);  // nothing else was touched
    }
}

TEST_F(VentrixDecodingTest, SequenceBitsOfTheTypeByteDoNotHideAStatusPacket) {
    Receive(StatusPacket({0, 0, 0, 0x02, 0}, kStatusPacketType | 0xC0));
    PassVentrix();
    EXPECT_EQ(CheckedBoxes(), std::vector<int>{1089});
}

TEST_F(VentrixDecodingTest, BadCrcLogsBothCrcsAndLeavesTheBoxes) {
    CheckAll({1074, 1089}, 1);
    Bytes packet = StatusPacket({0, 0, 0, 0, 0});
    const size_t crcAt = packet.size() - 2;
    const uint16_t computed = Crc16KermitOver(packet.data(), crcAt);
    packet[crcAt] = 0x0A;  // the packet claims 0x000a
    packet[crcAt + 1] = 0x00;
    Receive(packet);
    PassVentrix();

    char expected[64];
    std::snprintf(expected, sizeof expected, "CRC error Printer: a vs calculated %x", computed);
    EXPECT_EQ(log.m_entries, (std::vector<std::string>{expected, log.m_paneText}));
    EXPECT_EQ(decoder.m_printerInError, 1);
    EXPECT_EQ(CheckedBoxes(), (std::vector<int>{1074, 1089}));
    EXPECT_EQ(decoder.m_statusPos, static_cast<int>(packet.size()));  // dropped
}

TEST_F(VentrixDecodingTest, CrcErrorLineIsLowerCaseHex) {
    Bytes packet = BuildVentrixPacket(0x05, Bytes{'a', 'b', 'c'});
    packet[6] = 0xEF;
    packet[7] = 0xBE;
    Receive(packet);
    PassVentrix();
    ASSERT_FALSE(log.m_entries.empty());
    EXPECT_EQ(log.m_entries[0].rfind("CRC error Printer: beef vs calculated ", 0), 0u)
        << log.m_entries[0];
}

TEST_F(VentrixDecodingTest, GoodPacketOfAnotherTypeOnlyClearsTheFlag) {
    CheckAll({1077}, 1);
    decoder.m_printerInError = 1;
    // Laid out like a status packet, but of type 0x13.
    Receive(StatusPacket({0, 0, 0, 0, 0}, 0x13));
    PassVentrix();
    EXPECT_EQ(decoder.m_printerInError, 0);
    EXPECT_EQ(CheckedBoxes(), std::vector<int>{1077});
    EXPECT_TRUE(log.m_entries.empty());
}

TEST_F(VentrixDecodingTest, LengthByte0x7CCountsAsTheFirstSeparator) {
    // 124 bytes: the payload's second "|" is the packet's third, so S follows it.
    Bytes payload = {'A', '|', 'B', '|', 0x00, 0, 0x00, 0, 0x00, 0, 0x02, 0, 0x00};
    payload.resize(124 - kVentrixMinimumLength, 0x00);
    const Bytes packet = BuildVentrixPacket(kStatusPacketType, payload);
    ASSERT_EQ(packet[2], '|');
    Receive(packet);
    PassVentrix();
    EXPECT_EQ(CheckedBoxes(), std::vector<int>{1089});
}

TEST_F(VentrixDecodingTest, NullPacketIsConsumedAndALoneStartByteWaits) {
    decoder.m_printerInError = 1;
    Receive({0x02});
    PassVentrix();
    EXPECT_EQ(decoder.m_statusPos, 0);
    Receive({0x00});
    PassVentrix();
    EXPECT_EQ(decoder.m_statusPos, 2);
    EXPECT_EQ(decoder.m_printerInError, 1);  // no CRC was checked
}

TEST_F(VentrixDecodingTest, PacketArrivingInPiecesIsDecodedWhenComplete) {
    const Bytes packet = StatusPacket({0, 0, 0, 0x02, 0});
    for (size_t at = 0; at + 1 < packet.size(); ++at) {
        Receive({packet[at]});
        PassVentrix();
        ASSERT_EQ(decoder.m_statusPos, 0) << "after " << at + 1 << " bytes";
    }
    EXPECT_TRUE(CheckedBoxes().empty());
    Receive({packet.back()});
    PassVentrix();
    EXPECT_EQ(CheckedBoxes(), std::vector<int>{1089});
}

TEST_F(VentrixDecodingTest, OnePacketPerPass) {
    Receive(Concat({StatusPacket({0, 0, 0, 0x02, 0}), StatusPacket({0, 0, 0, 0, 0})}));
    PassVentrix();
    EXPECT_EQ(CheckedBoxes(), std::vector<int>{1089});
    PassVentrix();
    EXPECT_TRUE(CheckedBoxes().empty());
    EXPECT_EQ(decoder.Available(), 0);
}

TEST_F(VentrixDecodingTest, NoiseWithoutAStartByteIsDroppedWhole) {
    Receive({0x41, 0xAA, 0x7C});
    PassVentrix();
    EXPECT_EQ(decoder.Available(), 0);
    EXPECT_TRUE(host.m_checks.empty());
}

// A length byte below 5 cannot hold the packet's own CRC: its three header bytes are dropped
// with nothing shown, and decoding goes on right after them.
TEST_F(VentrixDecodingTest, LengthBelowFiveDropsTheHeaderAndGoesOn) {
    for (uint8_t length = 0; length < kVentrixMinimumLength; ++length) {
        SCOPED_TRACE(static_cast<int>(length));
        decoder.Clear();
        log.m_entries.clear();
        host.m_checks.clear();
        decoder.m_printerInError = 1;
        Receive({0x02, kStatusPacketType, length});
        PassVentrix();
        EXPECT_EQ(decoder.m_statusPos, 3);
        EXPECT_EQ(decoder.m_printerInError, 1);
        EXPECT_TRUE(log.m_entries.empty());
        EXPECT_TRUE(host.m_checks.empty());
        Receive(StatusPacket({0, 0, 0, 0x02, 0}));
        PassVentrix();
        EXPECT_EQ(CheckedBoxes(), std::vector<int>{1089});
        EXPECT_EQ(decoder.Available(), 0);
    }
}

struct ShortStatusCase {
    const char* what;
    Bytes payload;
    bool isStatus;
};

// The status bytes must lie before the CRC and after three "|"; otherwise the packet is a good
// one that carries no status.
TEST_F(VentrixDecodingTest, StatusBytesMustLieBeforeTheCrc) {
    const ShortStatusCase cases[] = {
        {"S+8 is the last byte before the CRC",
         {'|', '|', '|', 0, 0, 0, 0, 0, 0, 0x02, 0, 0},
         true},
        {"S+8 would be the first CRC byte", {'|', '|', '|', 0, 0, 0, 0, 0, 0, 0x02, 0}, false},
        {"S would be the first CRC byte", {'|', '|', '|'}, false},
        {"third | is the last CRC byte's place", {'|', '|'}, false},
        {"two | only", {'|', '|', 0, 0, 0, 0, 0, 0, 0x02, 0, 0, 0, 0}, false},
        {"no payload", {}, false},
    };
    for (const ShortStatusCase& c : cases) {
        SCOPED_TRACE(c.what);
        decoder.Clear();
        log.m_entries.clear();
        CheckAll(AllConditionBoxes(), 0);
        CheckAll({1072}, 1);
        decoder.m_printerInError = 1;
        const Bytes packet = BuildVentrixPacket(kStatusPacketType, c.payload);
        Receive(packet);
        PassVentrix();
        EXPECT_EQ(decoder.m_statusPos, static_cast<int>(packet.size()));
        EXPECT_EQ(CheckedBoxes(), c.isStatus ? std::vector<int>{1089} : std::vector<int>{1072});
        EXPECT_EQ(decoder.m_printerInError, c.isStatus ? 1 : 0);
        EXPECT_EQ(log.m_entries.size(), c.isStatus ? 2u : 0u);
    }
}

TEST_F(VentrixDecodingTest, OtherModesDecodeNothing) {
    for (PrinterMode mode : {PrinterMode::None, PrinterMode::Normal, PrinterMode::SerialPacket}) {
        decoder.Clear();
        Receive(StatusPacket({0, 0, 0, 0x02, 0}));
        Pass(mode);
        EXPECT_EQ(decoder.m_statusPos, 0);
        EXPECT_TRUE(host.m_checks.empty());
    }
}

}  // namespace
}  // namespace kestrel::testing
