#include "status/SequenceState.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrel {
namespace {

std::vector<int> VentrixNumbers(SequenceState& state, int packets) {
    std::vector<int> numbers;
    for (int i = 0; i < packets; ++i) {
        numbers.push_back(state.TakeVentrixBits() >> 6);
    }
    return numbers;
}

std::vector<int> SerialNumbers(SequenceState& state, int packets) {
    std::vector<int> numbers;
    for (int i = 0; i < packets; ++i) {
        numbers.push_back(state.TakeSerialSequence());
    }
    return numbers;
}

TEST(SequenceState, VentrixRunsZeroToThreeThenFromOne) {
    SequenceState state;
    EXPECT_EQ(VentrixNumbers(state, 8), (std::vector<int>{0, 1, 2, 3, 1, 2, 3, 1}));
}

TEST(SequenceState, VentrixBitsSitInBitsSixAndSeven) {
    SequenceState state;
    EXPECT_EQ(state.TakeVentrixBits(), 0x00);
    EXPECT_EQ(state.TakeVentrixBits(), 0x40);
    EXPECT_EQ(state.TakeVentrixBits(), 0x80);
    EXPECT_EQ(state.TakeVentrixBits(), 0xC0);
}

TEST(SequenceState, SerialRunsZeroToSevenThenFromOne) {
    SequenceState state;
    EXPECT_EQ(SerialNumbers(state, 10), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 1, 2}));
}

TEST(SequenceState, DisabledNumberingGivesZeroAndKeepsTheCounter) {
    SequenceState state;
    VentrixNumbers(state, 2);  // counter now 2
    state.m_sequenceBitsDisabled = 1;
    EXPECT_EQ(VentrixNumbers(state, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(SerialNumbers(state, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(state.m_sequenceNumber, 2);
    state.m_sequenceBitsDisabled = 0;
    EXPECT_EQ(VentrixNumbers(state, 3), (std::vector<int>{2, 3, 1}));
}

TEST(SequenceState, ResetStartsAgainAtZero) {
    SequenceState state;
    SerialNumbers(state, 5);
    state.Reset();
    EXPECT_EQ(SerialNumbers(state, 2), (std::vector<int>{0, 1}));
    state.Reset();
    EXPECT_EQ(VentrixNumbers(state, 2), (std::vector<int>{0, 1}));
}

TEST(SequenceState, OneCounterServesBothFramings) {
    SequenceState state;
    EXPECT_EQ(SerialNumbers(state, 6), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // Counter 6: only its low two bits fit the type byte, then it passes 3 and restarts at 1.
    EXPECT_EQ(state.TakeVentrixBits(), 0x80);
    EXPECT_EQ(state.TakeSerialSequence(), 1);
}

}  // namespace
}  // namespace kestrel
