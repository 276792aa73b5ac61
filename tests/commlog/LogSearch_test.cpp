// Find over the pane's rows: texts without case, and bytes typed in hex found in the traffic
// whichever direction and row each byte is in, in both forms of the log.
#include "commlog/LogSearch.h"

#include <gtest/gtest.h>

#include "commlog/CommLogRenderer.h"
#include "commlog/TrafficCapture.h"

namespace kestrel {
namespace {

TEST(LogSearch, HexBytesAreTypedInPairsWithOrWithoutBlanks) {
    EXPECT_EQ(ParseHexBytes("02 12"), std::string("\x02\x12"));
    EXPECT_EQ(ParseHexBytes("0212"), std::string("\x02\x12"));
    EXPECT_EQ(ParseHexBytes(" 1b  ff "), std::string("\x1b\xff"));
    for (const char* bad : {"", " ", "2", "021", "0 2", "zz", "02,12"}) {
        EXPECT_EQ(ParseHexBytes(bad), std::nullopt) << bad;
    }
}

// Sent ESC @, received 02 12 (across the row change), then 40 bytes so that the last three
// bytes, sent 02 12 ... received 02, lie in the second block.
std::unique_ptr<TrafficCapture> Traffic() {
    auto capture = std::make_unique<TrafficCapture>();
    uint32_t tick = 1000;
    const auto add = [&](uint8_t value, int direction) {
        capture->Record(value, tick++, direction);
    };
    add(0x1B, TrafficSent);
    add('@', TrafficSent);
    add(0x02, TrafficReceived);
    add(0x12, TrafficReceived);
    for (int i = 0; i < 40; ++i) {
        add(static_cast<uint8_t>('a' + i % 26), i % 2 == 0 ? TrafficSent : TrafficReceived);
    }
    add(0x02, TrafficSent);
    add(0x12, TrafficSent);
    add(0x02, TrafficReceived);
    return capture;
}

struct FindCase {
    int hexDisplay;
    const char* query;
    bool hex;
    size_t matches;
    const char* firstShown;  // the text of the first match's first span
};

TEST(LogSearch, FindsTextsAndBytesInBothForms) {
    const FindCase cases[] = {{1, "02 12", true, 2, "02"},     {1, "1B40", true, 1, "1B"},
                              {1, "12 02", true, 1, "12"},     {1, "1b 41", true, 0, ""},
                              {0, "0212", true, 2, "[STX]"},   {0, "1B 40", true, 1, "[ESC]"},
                              {0, "6162", true, 2, "a"},       {0, "STX", false, 3, "STX"},
                              {0, "[esc]", false, 1, "[ESC]"}, {1, "1b..", false, 1, "1B.."}};
    for (const FindCase& c : cases) {
        auto capture = Traffic();
        CommLogRenderer renderer;
        renderer.Render(1, *capture, c.hexDisplay, 0, nullptr);
        const StyledText& content = renderer.Content();
        const LogSearchResult result =
            c.hex ? FindBytes(content, *ParseHexBytes(c.query)) : FindText(content, c.query);
        ASSERT_EQ(result.Count(), c.matches) << c.query << " form " << c.hexDisplay;
        if (c.matches == 0) {
            EXPECT_TRUE(result.spans.empty());
            continue;
        }
        const uint32_t start = result.matchStarts[0];
        const auto span = std::find_if(result.spans.begin(), result.spans.end(),
                                       [&](const MatchSpan& s) { return s.offset == start; });
        ASSERT_NE(span, result.spans.end());
        EXPECT_EQ(content.text.substr(span->offset, span->length), c.firstShown) << c.query;
        // A byte match has one span per byte, each in its byte's own row.
        if (c.hex) {
            EXPECT_EQ(result.spans.size(), c.matches * ParseHexBytes(c.query)->size());
        }
    }
}

}  // namespace
}  // namespace kestrel
