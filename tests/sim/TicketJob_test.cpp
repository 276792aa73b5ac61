#include "sim/TicketJob.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

constexpr uint64_t kPhase = 300;
constexpr uint64_t kT0 = 10000;

using Phases = std::vector<TicketPhase>;

TEST(TicketJobTest, EachPhaseFollowsThePreviousAfterOneDelay) {
    TicketJob job(kPhase);
    EXPECT_EQ(job.NextDeadline(), 0u);
    job.OnTicketData(kT0);
    EXPECT_EQ(job.Phase(), TicketPhase::Receiving);
    const TicketPhase expected[] = {TicketPhase::Busy, TicketPhase::BarcodeDone,
                                    TicketPhase::InChute, TicketPhase::Done};
    uint64_t due = kT0 + kPhase;
    for (const TicketPhase phase : expected) {
        EXPECT_EQ(job.NextDeadline(), due);
        EXPECT_TRUE(job.Advance(due - 1, false).empty());
        EXPECT_EQ(job.Advance(due, false), Phases{phase});
        due += kPhase;
    }
    EXPECT_EQ(job.NextDeadline(), 0u);
    EXPECT_EQ(job.TicketsPrinted(), 1);
}

TEST(TicketJobTest, LateAdvanceEntersEveryDuePhaseInOrder) {
    TicketJob job(kPhase);
    job.OnTicketData(kT0);
    EXPECT_EQ(job.Advance(kT0 + 3 * kPhase, false),
              (Phases{TicketPhase::Busy, TicketPhase::BarcodeDone, TicketPhase::InChute}));
    EXPECT_EQ(job.Advance(kT0 + 100 * kPhase, false), Phases{TicketPhase::Done});
}

TEST(TicketJobTest, PhaseBitsFollowThePhases) {
    TicketJob job(kPhase);
    const auto bits = [&] { return job.PhaseBits(); };
    EXPECT_EQ(bits(), (PrinterStatus{0, 0, 0, 0, 0}));
    job.OnTicketData(kT0);
    EXPECT_EQ(bits(), (PrinterStatus{0, 0, 0, 0, 0}));
    job.Advance(kT0 + kPhase, false);
    EXPECT_EQ(bits(), (PrinterStatus{0x20, 0, 0, 0, 0}));
    job.Advance(kT0 + 2 * kPhase, false);
    EXPECT_EQ(bits(), (PrinterStatus{0x20, 0, 0, 0, 0x20}));
    job.Advance(kT0 + 3 * kPhase, false);
    EXPECT_EQ(bits(), (PrinterStatus{0x20, 0, 0x08, 0, 0x20}));
    job.Advance(kT0 + 4 * kPhase, false);
    EXPECT_EQ(bits(), (PrinterStatus{0, 0, 0x08, 0, 0x30}));
    job.ClearDone();
    EXPECT_EQ(bits(), (PrinterStatus{0, 0, 0, 0, 0}));
    EXPECT_EQ(job.Phase(), TicketPhase::Idle);
}

TEST(TicketJobTest, DataStillArrivingPostponesTheNextPhase) {
    TicketJob job(kPhase);
    job.OnTicketData(kT0);
    job.OnTicketData(kT0 + 200);
    EXPECT_TRUE(job.Advance(kT0 + kPhase, false).empty());
    EXPECT_EQ(job.Advance(kT0 + 200 + kPhase, false), Phases{TicketPhase::Busy});
    job.OnTicketData(kT0 + 600);  // busy, more lines: the barcodes wait for the last of them
    EXPECT_TRUE(job.Advance(kT0 + 200 + 2 * kPhase, false).empty());
    EXPECT_EQ(job.Advance(kT0 + 600 + kPhase, false), Phases{TicketPhase::BarcodeDone});
}

TEST(TicketJobTest, DataAfterTheBarcodesStartsANewTicket) {
    TicketJob job(kPhase);
    job.OnTicketData(kT0);
    job.Advance(kT0 + 4 * kPhase, false);
    ASSERT_EQ(job.Phase(), TicketPhase::Done);
    job.OnTicketData(kT0 + 5000);
    EXPECT_EQ(job.Phase(), TicketPhase::Receiving);
    EXPECT_EQ(job.PhaseBits(), PrinterStatus{});
    job.Advance(kT0 + 5000 + 4 * kPhase, false);
    EXPECT_EQ(job.TicketsPrinted(), 2);
}

TEST(TicketJobTest, AHaltFreezesThePhaseAndRestartsItsDelay) {
    TicketJob job(kPhase);
    job.OnTicketData(kT0);
    job.Advance(kT0 + kPhase, false);
    EXPECT_TRUE(job.Advance(kT0 + 10 * kPhase, true).empty());
    EXPECT_EQ(job.Phase(), TicketPhase::Busy);
    EXPECT_TRUE(job.Advance(kT0 + 11 * kPhase - 1, false).empty());
    EXPECT_EQ(job.Advance(kT0 + 11 * kPhase, false), Phases{TicketPhase::BarcodeDone});
}

TEST(TicketJobTest, ClearAllOnlyForgetsAFinishedTicket) {
    TicketJob job(kPhase);
    job.OnTicketData(kT0);
    job.Advance(kT0 + 2 * kPhase, false);
    job.ClearDone();
    EXPECT_EQ(job.Phase(), TicketPhase::BarcodeDone);
}

TEST(TicketJobTest, ZeroDelayRunsThroughAtOnce) {
    TicketJob job(0);
    job.OnTicketData(kT0);
    EXPECT_EQ(job.Advance(kT0, false).size(), 4u);
    EXPECT_EQ(job.Phase(), TicketPhase::Done);
}

}  // namespace
}  // namespace kestrel
