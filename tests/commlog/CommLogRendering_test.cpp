// Refreshes rebuild only the open block: over random traffic rendered in random steps, with
// form switches, clears and the capture's own roll-over, every rendering must be the whole
// rebuild byte for byte, its styled rows what the reader reads of that document, and a pane
// that copies only what changed must end up holding both, knowing each line and column that
// changed.
#include <gtest/gtest.h>

#include <random>

#include "commlog/CommLogRenderer.h"
#include "commlog/CommLogRendering.h"
#include "commlog/RtfReader.h"
#include "commlog/StyledTextChanges.h"
#include "commlog/TrafficCapture.h"
#include "support/FakeCommLogPane.h"

namespace kestrel {
namespace {

// Each line's look at each column: its character and the style run over it.
std::vector<std::pair<char, StyleRun>> LineCells(const StyledText& content, size_t line) {
    std::vector<std::pair<char, StyleRun>> cells;
    const size_t start = content.lineStarts[line];
    for (size_t column = 0; column < content.Line(line).size(); ++column) {
        StyleRun style =
            content.runs.empty() ? StyleRun{} : content.runs[content.RunAt(start + column)];
        style.start = 0;
        cells.emplace_back(content.text[start + column], style);
    }
    return cells;
}

// The changes the pane repaints must cover every cell that differs: a line left out, or a
// first column past a difference, would leave old pixels on screen.
void ExpectChangesCover(const StyledText& before, const StyledText& after,
                        const StyledTextChanges& changes, size_t firstLine) {
    ASSERT_EQ(changes.wholeFrom == SIZE_MAX, before.LineCount() == after.LineCount());
    const size_t compared = std::min({before.LineCount(), after.LineCount(), changes.wholeFrom});
    size_t next = 0;
    for (size_t line = firstLine; line < compared; ++line) {
        const auto old = LineCells(before, line);
        const auto now = LineCells(after, line);
        size_t same = 0;
        while (same < old.size() && same < now.size() && old[same] == now[same]) {
            ++same;
        }
        const bool differs = same < old.size() || same < now.size();
        const bool listed = next < changes.lines.size() && changes.lines[next].line == line;
        ASSERT_EQ(listed, differs) << "line " << line;
        if (listed) {
            EXPECT_EQ(changes.lines[next++].firstColumn, same) << "line " << line;
        }
    }
    EXPECT_EQ(next, changes.lines.size());
}

class FollowingPane : public testing::FakeCommLogPane {
  public:
    void SetRendering(const CommLogRendering& rendering) override {
        if (m_follower.Continues(rendering)) {
            const StyledText before = m_content;
            const StyledTextChanges changes =
                CompareLines(before, *rendering.content, rendering.keptLines - 1);
            m_follower.Take(rendering, m_held, m_content);
            ExpectChangesCover(before, m_content, changes, rendering.keptLines - 1);
            ++m_continued;
        } else {
            m_follower.Take(rendering, m_held, m_content);
        }
    }
    std::string m_held;
    StyledText m_content;
    int m_continued = 0;

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
    int continued = 0;
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
        continued += pane.m_continued;
    }
    EXPECT_GT(continued, 200);  // most refreshes compared their changes, not just the first
}

}  // namespace
}  // namespace kestrel
