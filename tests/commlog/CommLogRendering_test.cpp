// Refreshes rebuild only the open block: over random traffic rendered in random steps, with
// form switches, clears and the capture's own roll-over, every rendering must be the whole
// rebuild byte for byte, its styled rows what the reader reads of that document, and a pane
// that copies only what changed must end up holding both.
#include <gtest/gtest.h>

#include <random>

#include "commlog/CommLogRenderer.h"
#include "commlog/CommLogRendering.h"
#include "commlog/RtfReader.h"
#include "commlog/TrafficCapture.h"
#include "support/FakeCommLogPane.h"

namespace kestrel {
namespace {

class FollowingPane : public testing::FakeCommLogPane {
  public:
    void SetRendering(const CommLogRendering& rendering) override {
        m_follower.Take(rendering, m_held, m_content);
    }
    std::string m_held;
    StyledText m_content;

  private:
    CommLogFollower m_follower;
};

// Control bytes, printable ones (with the characters RTF escapes) and high ones alike.
uint8_t RandomByte(std::minstd_rand& random) {
    static constexpr uint8_t kSpecial[] = {'\\', '{', '}', ' ', 0x00, 0x1B, 0x1F, 0x7F, 0xFF};
    const uint32_t pick = random() % 4;
    if (pick == 0) {
        return kSpecial[random() % sizeof kSpecial];
    }
    return static_cast<uint8_t>(pick == 1 ? 0x20 + random() % 0x5F : random() % 256);
}

TEST(CommLogRendering, EveryRefreshIsTheWholeRebuildAndThePaneCopiesOnlyWhatChanged) {
    std::minstd_rand random(19);
    auto capture = std::make_unique<TrafficCapture>();
    for (int round = 0; round < 12; ++round) {
        capture->Clear();
        CommLogRenderer renderer;
        FollowingPane pane;
        int hex = round % 2;
        auto tick = static_cast<uint32_t>(random());
        for (int step = 0; step < 40; ++step) {
            // Now and then a burst long enough to roll the capture over.
            const auto records = random() % 9 == 0 ? 2000 + random() % 4000 : random() % 90;
            for (uint64_t i = 0; i < records; ++i) {
                tick += static_cast<uint32_t>(random() % 5 == 0 ? random() % 9000 : random() % 40);
                capture->Record(RandomByte(random), tick,
                                random() % 2 == 0 ? TrafficSent : TrafficReceived);
            }
            // The Hex and Text radios force their rendering.
            const bool switchForm = random() % 12 == 0;
            hex ^= switchForm ? 1 : 0;
            if (random() % 20 == 0) {
                capture->Clear();
            }
            renderer.Render(switchForm || random() % 4 == 0 ? 1 : 0, *capture, hex, 0, &pane);

            CommLogRenderer whole;
            ASSERT_EQ(whole.Render(1, *capture, hex, 0, nullptr), 1);
            // Compared whole, not printed: a full capture's document is half a megabyte.
            ASSERT_TRUE(renderer.Document() == whole.Document())
                << "round " << round << " step " << step;
            StyledText read;
            std::string error;
            ASSERT_TRUE(ReadRtf(whole.Document(), read, &error));
            ASSERT_TRUE(renderer.Content() == read) << "round " << round << " step " << step;
            ASSERT_TRUE(pane.m_held == whole.Document());
            ASSERT_TRUE(pane.m_content == read);
        }
    }
}

}  // namespace
}  // namespace kestrel
