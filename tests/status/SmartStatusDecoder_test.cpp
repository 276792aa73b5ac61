// Smart mode: coded status records into the Smart group's boxes, texts and progress bar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StatusDecoderFixture.h"

namespace kestrel::testing {
namespace {

const std::vector<int> kSmartBoxes = {1011, 1012, 1013, 1014, 1015, 1016, 1017, 1019, 1021};

// A record of `length` bytes: the code, then `text`, NUL-padded (not NUL-ended when it fills
// the record).
Bytes TextRecord(uint8_t code, size_t length, const std::string& text) {
    Bytes record(length, 0x00);
    record[0] = code;
    std::copy(text.begin(), text.end(), record.begin() + 1);
    return record;
}

class SmartDecodingTest : public StatusDecoderTest {
  protected:
    void PassSmart() { Pass(PrinterMode::Smart); }

    std::vector<int> CheckedBoxes() const { return CheckedAmong(kSmartBoxes); }
};

struct StatusRecordCase {
    uint8_t first;
    uint8_t second;
    std::vector<int> checked;
};

TEST_F(SmartDecodingTest, StatusRecordChecksAndClearsItsBoxes) {
    const StatusRecordCase cases[] = {
        {0x00, 0x00, {}},
        {0x01, 0x00, {1011}},
        {0x20, 0x00, {1016}},
        {0x00, 0x01, {1017}},
        {0x00, 0x02, {1019}},
        {0x00, 0x04, {1021}},
        {0x3F, 0x07, kSmartBoxes},
        {0xC0, 0xF8, {}},  // bits no box shows
        {0x0A, 0x05, {1012, 1014, 1017, 1021}},
    };
    for (const StatusRecordCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.first) << " " << int(c.second));
        decoder.Clear();
        CheckAll(kSmartBoxes, 1);
        Receive({0x81, c.first, c.second});
        PassSmart();
        EXPECT_EQ(decoder.m_statusPos, 3);
        EXPECT_EQ(CheckedBoxes(), c.checked);
        EXPECT_EQ(host.m_checks.size(), kSmartBoxes.size());
    }
    EXPECT_TRUE(log.m_entries.empty());
    EXPECT_EQ(decoder.m_printerInError, 0);
}

struct TextRecordCase {
    uint8_t code;
    size_t length;
    int controlId;
};

TEST_F(SmartDecodingTest, TextRecordsShowTheirTextUpToNulOrTheirEnd) {
    const TextRecordCase cases[] = {
        {0x82, 60, 1036},
        {0x83, 20, 1037},
        {0x8A, 257, 1032},
    };
    for (const TextRecordCase& c : cases) {
        SCOPED_TRACE(c.controlId);
        decoder.Clear();
        Receive(TextRecord(c.code, c.length, "Ready"));
        PassSmart();
        EXPECT_EQ(host.GetItemText(c.controlId), "Ready");
        // Without a NUL the whole record is the text, and not a byte more.
        const std::string full(c.length - 1, 'x');
        Receive(Concat({TextRecord(c.code, c.length, full), {'y'}}));
        PassSmart();
        EXPECT_EQ(host.GetItemText(c.controlId), full);
        EXPECT_EQ(decoder.Available(), 1);  // the "y" after it
    }
}

TEST_F(SmartDecodingTest, InfoLineArrivingInTwoHalvesIsDecodedOnceComplete) {
    const Bytes record = TextRecord(0x82, 60, "Vantor 60 Firmware");
    Receive(Bytes(record.begin(), record.begin() + 30));
    PassSmart();
    EXPECT_EQ(decoder.m_statusPos, 0);
    EXPECT_EQ(host.m_texts.count(1036), 0u);
    Receive(Bytes(record.begin() + 30, record.end()));
    PassSmart();
    EXPECT_EQ(decoder.m_statusPos, 60);
    EXPECT_EQ(host.GetItemText(1036), "Vantor 60 Firmware");
}

TEST_F(SmartDecodingTest, StateTextAcrossSeveralPasses) {
    const Bytes record = TextRecord(0x8A, 257, std::string(200, 's'));
    for (size_t at = 0; at < record.size(); at += 50) {
        const size_t end = std::min(record.size(), at + 50);
        Receive(
            Bytes(record.begin() + static_cast<long>(at), record.begin() + static_cast<long>(end)));
        PassSmart();
        if (end < record.size()) {
            ASSERT_EQ(decoder.m_statusPos, 0);
        }
    }
    EXPECT_EQ(host.GetItemText(1032), std::string(200, 's'));
}

TEST_F(SmartDecodingTest, PercentDrivesTheProgressBar) {
    Receive({0x85, 42});
    PassSmart();
    EXPECT_EQ(host.m_progressRange[1008], std::make_pair(0, 100));
    EXPECT_EQ(host.m_progressStep[1008], 1);
    EXPECT_EQ(host.m_progressPos[1008], 42);
}

TEST_F(SmartDecodingTest, FieldRecordsAppendTheirValueAndABlank) {
    host.SetItemText(1009, "1 ");
    Receive({0x86, 3, 0x86, 4, 0x87, 255, 0x87, 0});
    for (int i = 0; i < 4; ++i) {
        PassSmart();
    }
    EXPECT_EQ(host.GetItemText(1009), "1 3 4 ");
    EXPECT_EQ(host.GetItemText(1010), "255 0 ");
}

TEST_F(SmartDecodingTest, BytesBeforeACodeAreSkippedInOnePass) {
    Receive({0x41, 0x42, 0x81, 0x01, 0x00});
    PassSmart();
    EXPECT_EQ(decoder.m_statusPos, 2);
    EXPECT_TRUE(host.m_checks.empty());
    PassSmart();
    EXPECT_EQ(CheckedBoxes(), std::vector<int>{1011});
}

TEST_F(SmartDecodingTest, RunWithoutACodeIsSkippedToTheFill) {
    Receive({0x00, 0x7F, 0x41});
    PassSmart();
    EXPECT_EQ(decoder.m_statusPos, 3);
}

struct SkippedCodeCase {
    uint8_t code;
    size_t arrived;  // how much of what follows the code is there with it
};

// Codes without a record advance by two at once, their data byte unread even when it has not
// arrived yet: the byte that comes next is that data byte, never taken as a code.
TEST_F(SmartDecodingTest, SkippedCodesAdvanceByTwoWithoutWaiting) {
    const SkippedCodeCase cases[] = {
        {0x80, 0}, {0x84, 1}, {0x88, 2}, {0x89, 0}, {0x8B, 1}, {0x9F, 2}, {0xFF, 0},
    };
    // The data byte (which looks like a code), then a status record.
    const Bytes following = {0x81, 0x81, 0x01, 0x00};
    for (const SkippedCodeCase& c : cases) {
        SCOPED_TRACE(int(c.code));
        decoder.Clear();
        const auto split = following.begin() + static_cast<long>(c.arrived);
        Receive(Concat({{c.code}, Bytes(following.begin(), split)}));
        PassSmart();
        EXPECT_EQ(decoder.m_statusPos, 2);
        Receive(Bytes(split, following.end()));
        PassSmart();
        EXPECT_EQ(decoder.m_statusPos, 5);
        EXPECT_EQ(CheckedBoxes(), std::vector<int>{1011});
        host.m_checks.clear();
    }
    EXPECT_TRUE(host.m_texts.empty());
}

TEST_F(SmartDecodingTest, IncompleteRecordAtAFullBufferWaits) {
    decoder.m_statusFill = 999;
    decoder.m_statusPos = 999;
    Receive({0x82});
    decoder.DecodeStatus(static_cast<int>(PrinterMode::Smart), host, log);
    EXPECT_EQ(decoder.m_statusPos, 999);
    EXPECT_EQ(decoder.m_statusFill, 1000);
}

struct CompactionCase {
    int pos;
    int fill;
    int expectedPos;
    int expectedFill;
};

TEST_F(SmartDecodingTest, CompactionPastFiveHundred) {
    const CompactionCase cases[] = {
        {500, 700, 500, 700}, {501, 700, 0, 199}, {1000, 1000, 0, 0},
        {502, 501, 0, 0},  // past a skipped code whose data byte is still to come
        {0, 1000, 0, 1000},
    };
    for (const CompactionCase& c : cases) {
        SCOPED_TRACE(c.pos);
        for (int i = 0; i < kStatusBufferSize; ++i) {
            decoder.m_statusBuffer[i] = static_cast<uint8_t>(i);
        }
        decoder.m_statusPos = c.pos;
        decoder.m_statusFill = c.fill;
        const uint8_t front = decoder.m_statusBuffer[c.pos % kStatusBufferSize];
        decoder.Compact();
        EXPECT_EQ(decoder.m_statusPos, c.expectedPos);
        EXPECT_EQ(decoder.m_statusFill, c.expectedFill);
        if (c.expectedFill > 0) {
            EXPECT_EQ(decoder.m_statusBuffer[c.expectedPos], front);
        }
    }
}

TEST_F(SmartDecodingTest, IndexesOutsideTheBufferAreBroughtBackInside) {
    decoder.m_statusFill = 5000;
    decoder.m_statusPos = 4000;
    PassSmart();
    decoder.m_statusFill = 10;
    decoder.m_statusPos = -3;
    PassSmart();
}

TEST_F(SmartDecodingTest, ClearEmptiesBufferAndIndexes) {
    Receive({0x41, 0x42});
    decoder.m_statusPos = 1;
    decoder.Clear();
    EXPECT_EQ(decoder.m_statusFill, 0);
    EXPECT_EQ(decoder.m_statusPos, 0);
    EXPECT_EQ(decoder.m_statusBuffer[0], 0);
}

}  // namespace
}  // namespace kestrel::testing
