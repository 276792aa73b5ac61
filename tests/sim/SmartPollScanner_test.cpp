#include "sim/SmartPollScanner.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

// Feeds the chunks and writes what was found: "P" for a poll, "D<n>" for n data bytes.
std::string Scan(SmartPollScanner& scanner, const std::vector<std::vector<uint8_t>>& chunks) {
    std::string events;
    for (const auto& chunk : chunks) {
        scanner.Push(
            chunk, [&] { events += "P"; },
            [&](size_t count) { events += "D" + std::to_string(count); });
    }
    return events;
}

TEST(SmartPollScannerTest, BothPollsAreFound) {
    SmartPollScanner scanner;
    EXPECT_EQ(Scan(scanner, {{0x1D, 0x7E, 0x53, 0x53, 0x81}, {0x1D, 0x79}}), "PP");
    EXPECT_EQ(scanner.Held(), 0u);
}

TEST(SmartPollScannerTest, DataAroundAPollKeepsItsOrder) {
    SmartPollScanner scanner;
    EXPECT_EQ(Scan(scanner, {{'A', 'B', 0x1D, 0x79, 'C'}}), "D2PD1");
}

TEST(SmartPollScannerTest, PollSplitOverReadsIsHeldThenFound) {
    SmartPollScanner scanner;
    EXPECT_EQ(Scan(scanner, {{'x', 0x1D, 0x7E}}), "D1");
    EXPECT_EQ(scanner.Held(), 2u);
    EXPECT_EQ(Scan(scanner, {{0x53}, {0x53, 0x81}}), "P");
}

TEST(SmartPollScannerTest, ABrokenPollIsDataAndAPollBehindItIsStillFound) {
    SmartPollScanner scanner;
    // GS ~ S then GS y: the first three are data, the last two a poll.
    EXPECT_EQ(Scan(scanner, {{0x1D, 0x7E, 0x53, 0x1D, 0x79}}), "D3P");
    // A GS that turns out to be a barcode command.
    EXPECT_EQ(Scan(scanner, {{0x1D}, {'k', 0x04}}), "D3");
}

TEST(SmartPollScannerTest, ExactPollsOnly) {
    EXPECT_TRUE(IsSmartPoll(std::vector<uint8_t>{0x1D, 0x79}));
    EXPECT_TRUE(IsSmartPoll(std::vector<uint8_t>{0x1D, 0x7E, 0x53, 0x53, 0x81}));
    EXPECT_FALSE(IsSmartPoll(std::vector<uint8_t>{0x1D, 0x79, 0x00}));
    EXPECT_FALSE(IsSmartPoll(std::vector<uint8_t>{0x1D}));
    EXPECT_FALSE(IsSmartPoll(std::vector<uint8_t>{}));
}

}  // namespace
}  // namespace kestrel
