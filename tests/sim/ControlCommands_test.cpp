#include "sim/ControlCommands.h"

#include <gtest/gtest.h>

#include "SimTestClient.h"

namespace kestrel {
namespace {

using testing::StatusField;

class ControlCommandsTest : public ::testing::Test {
  protected:
    std::string Run(const std::string& line) { return RunControlCommand(line, m_printer); }
    SimPrinter m_printer{PrinterSettings{}};
};

TEST_F(ControlCommandsTest, SwitchesTakeOnOffOrNothing) {
    EXPECT_EQ(Run("silence"), "ok");
    EXPECT_TRUE(m_printer.Faults().silent);
    EXPECT_EQ(Run("silence off"), "ok");
    EXPECT_FALSE(m_printer.Faults().silent);
    EXPECT_EQ(Run("never-busy on"), "ok");
    EXPECT_TRUE(m_printer.Faults().neverBusy);
    EXPECT_EQ(Run("never-busy maybe"), "error: never-busy takes on or off");
    EXPECT_EQ(Run("jam sideways"), "error: jam takes on or off");
    EXPECT_TRUE(m_printer.Faults().neverBusy);
}

TEST_F(ControlCommandsTest, CountsMustBeWholeNumbersInRange) {
    EXPECT_EQ(Run("bad-crc 3"), "ok");
    EXPECT_EQ(m_printer.Faults().badCrcReplies, 3);
    EXPECT_EQ(Run("drop-after 12"), "ok");
    EXPECT_EQ(m_printer.Faults().dropAfterBytes, 12);
    for (const char* bad : {"bad-crc", "bad-crc -1", "bad-crc x", "bad-crc 2x", "bad-crc 1e3",
                            "bad-crc 99999999999999999999", "drop-after +4"}) {
        EXPECT_EQ(Run(bad).rfind("error: ", 0), 0u) << bad;
    }
    EXPECT_EQ(m_printer.Faults().badCrcReplies, 3);
    EXPECT_EQ(m_printer.Faults().dropAfterBytes, 12);
    EXPECT_EQ(Run("drop"), "ok");
    EXPECT_EQ(m_printer.Faults().dropAfterBytes, 0);
}

TEST_F(ControlCommandsTest, ClearEndsEveryFault) {
    for (const char* line : {"jam", "bad-crc 2", "silence", "drop-after 5", "never-busy"}) {
        ASSERT_EQ(Run(line), "ok");
    }
    EXPECT_EQ(Run("clear"), "ok");
    const FaultState& faults = m_printer.Faults();
    EXPECT_EQ(faults.forcedBits, PrinterStatus{});
    EXPECT_EQ(faults.badCrcReplies, 0);
    EXPECT_FALSE(faults.silent);
    EXPECT_EQ(faults.dropAfterBytes, kNoDrop);
    EXPECT_FALSE(faults.neverBusy);
}

TEST_F(ControlCommandsTest, StatusShowsBytesBitsAndFaults) {
    ASSERT_EQ(Run("IDC_CHECKOPEN"), "ok");
    ASSERT_EQ(Run("bad-crc 4"), "ok");
    const std::string answer = Run("status");
    ASSERT_EQ(answer.rfind("ok S=00 ", 0), 0u) << answer;
    EXPECT_EQ(StatusField(answer, "S+8"), "04");
    EXPECT_EQ(StatusField(answer, "bits"), "IDC_CHECKOPEN");
    EXPECT_EQ(StatusField(answer, "bad-crc"), "4");
    EXPECT_EQ(StatusField(answer, "ticket"), "idle");
    EXPECT_EQ(StatusField(answer, "mode"), "ventrix");
    EXPECT_EQ(StatusField(answer, "crc-errors"), "0");
}

TEST_F(ControlCommandsTest, ModeChangesTheDialect) {
    EXPECT_EQ(Run("mode smart"), "ok");
    EXPECT_EQ(m_printer.Mode(), PrinterMode::Smart);
    EXPECT_EQ(Run("mode serial"), "ok");
    EXPECT_EQ(m_printer.Mode(), PrinterMode::SerialPacket);
    EXPECT_EQ(Run("mode"), "error: mode takes ventrix, smart, serial or normal");
    EXPECT_EQ(Run("mode none"), "error: mode takes ventrix, smart, serial or normal");
    EXPECT_EQ(m_printer.Mode(), PrinterMode::SerialPacket);
}

TEST_F(ControlCommandsTest, UnknownEmptyAndOverlongCommandsAreErrors) {
    EXPECT_EQ(Run(""), "error: empty command");
    EXPECT_EQ(Run("   \r"), "error: empty command");
    EXPECT_EQ(Run("fly"), "error: unknown command 'fly' (try help)");
    EXPECT_EQ(Run("jam on now"), "error: too many words");
    const std::string longWord(5000, 'q');
    const std::string answer = Run(longWord);
    EXPECT_EQ(answer.rfind("error: unknown command 'qqq", 0), 0u);
    EXPECT_LT(answer.size(), 100u);
}

TEST_F(ControlCommandsTest, HelpAndConditionsListWhatIsAccepted) {
    EXPECT_EQ(Run("help").rfind("ok commands: ", 0), 0u);
    const std::string conditions = Run("conditions");
    EXPECT_NE(conditions.find("IDC_CHECKJAM/jam"), std::string::npos);
    EXPECT_NE(conditions.find(" busy "), std::string::npos);
    for (const StatusCondition& condition : StatusConditions()) {
        EXPECT_NE(conditions.find(condition.alias), std::string::npos) << condition.alias;
    }
}

}  // namespace
}  // namespace kestrel
