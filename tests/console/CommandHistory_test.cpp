// The typed-text histories: what is kept of long texts, duplicates, and how new texts take the
// entries from 29 down to 1 and then roll the oldest out.
#include "console/CommandHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

TEST(CommandHistory, LongTextsKeep254CharactersAndDuplicatesAreNotAdded) {
    struct Case {
        size_t length;
        size_t kept;
    };
    for (const Case& test : {Case{254, 254}, Case{255, 254}, Case{300, 254}, Case{1, 1}}) {
        CommandHistory history;
        const std::string text(test.length, 'h');
        EXPECT_TRUE(history.Add(text));
        EXPECT_EQ(history.Entry(29), std::string(test.kept, 'h'));
        EXPECT_FALSE(history.Add(text)) << test.length;  // equal to what was kept
        EXPECT_EQ(history.Texts().size(), 1u);
    }
    CommandHistory history;
    EXPECT_FALSE(history.Add(""));  // equals a free entry
}

TEST(CommandHistory, FillsFrom29DownThenRollsTheOldestOut) {
    CommandHistory history;
    for (int n = 1; n <= 29; ++n) {
        ASSERT_TRUE(history.Add("t" + std::to_string(n)));
    }
    EXPECT_EQ(history.Entry(29), "t1");
    EXPECT_EQ(history.Entry(1), "t29");
    EXPECT_TRUE(history.IsFree(0));
    ASSERT_TRUE(history.Add("t30"));  // entries 1-29 in use: 0-28 move down, t1 is lost
    EXPECT_EQ(history.Entry(0), "t30");
    EXPECT_TRUE(history.IsFree(1));  // the free entry 0 moved to 1
    EXPECT_EQ(history.Entry(29), "t2");
    ASSERT_TRUE(history.Add("t31"));
    EXPECT_EQ(history.Entry(1), "t31");
    EXPECT_EQ(history.Texts().size(), 30u);
}

TEST(CommandHistory, AStoredImageWithoutTerminatorsReadsNoFurtherThanEachEntry) {
    const std::vector<unsigned char> image(kHistoryBytes + 50, 'A');
    CommandHistory history;
    history.Load(image.data(), image.size());
    for (size_t index = 0; index < kHistoryEntries; ++index) {
        EXPECT_EQ(history.Entry(index), std::string(kHistoryTextMax, 'A'));
    }
}

}  // namespace
}  // namespace kestrel
