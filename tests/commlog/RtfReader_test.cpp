#include "commlog/RtfReader.h"

#include <gtest/gtest.h>

#include <string>

#include "commlog/CommLogDocument.h"
#include "commlog/CommLogRenderer.h"
#include "commlog/CommLogTestData.h"
#include "commlog/RtfPlainText.h"

namespace kestrel {
namespace {

using testing::MakeCapture;
using testing::VisibleLines;

struct Style {
    uint16_t colour;
    uint8_t bold;
    bool operator==(const Style&) const = default;
};

Style StyleAt(const StyledText& text, size_t offset) {
    const StyleRun& run = text.runs[text.RunAt(offset)];
    return Style{run.colour, run.bold};
}

StyledText Read(std::string_view rtf) {
    StyledText text;
    std::string error;
    EXPECT_TRUE(ReadRtf(rtf, text, &error)) << error;
    return text;
}

TEST(RtfReader, ReadsOurOwnDocumentWithItsColoursAndBold) {
    auto capture = MakeCapture();
    capture->Record(0x1B, 5000, TrafficSent);
    capture->Record(0x00, 5010, TrafficReceived);
    CommLogRenderer renderer;
    renderer.Render(1, *capture, 1, 0, nullptr);
    const StyledText text = Read(renderer.Document());

    ASSERT_EQ(text.colours.size(), 6u);
    EXPECT_TRUE(text.colours[0].automatic);
    const auto rgb = [&](size_t i) {
        const TextColour& c = text.colours[i];
        return std::make_tuple(int{c.red}, int{c.green}, int{c.blue}, c.automatic);
    };
    EXPECT_EQ(rgb(1), std::make_tuple(255, 0, 0, false));
    EXPECT_EQ(rgb(2), std::make_tuple(51, 153, 102, false));
    EXPECT_EQ(rgb(3), std::make_tuple(0, 0, 255, false));
    EXPECT_EQ(rgb(4), std::make_tuple(255, 255, 0, false));
    EXPECT_EQ(rgb(5), std::make_tuple(255, 153, 0, false));

    ASSERT_EQ(text.Line(0), "1B...... ");
    ASSERT_EQ(text.Line(1), "....00.. ");
    ASSERT_EQ(text.Line(2), "000 00a  ");
    const size_t sent = text.lineStarts[0];
    const size_t received = text.lineStarts[1];
    const size_t time = text.lineStarts[2];
    EXPECT_EQ(StyleAt(text, sent), (Style{2, 1}));          // "1B"
    EXPECT_EQ(StyleAt(text, sent + 2), (Style{2, 0}));      // its ".."
    EXPECT_EQ(StyleAt(text, sent + 4), (Style{2, 0}));      // dots for the received byte
    EXPECT_EQ(StyleAt(text, received), (Style{3, 0}));      // dots for the sent byte
    EXPECT_EQ(StyleAt(text, received + 4), (Style{3, 1}));  // "00"
    EXPECT_EQ(StyleAt(text, time), (Style{1, 0}));
    EXPECT_EQ(text.longestLine, 9u);
}

TEST(RtfReader, MergesNeighbouringRunsOfOneStyle) {
    const StyledText text = Read(R"({\rtf1 \cf1 a\cf1 b\b0 c\cf2\cf1 d})");
    EXPECT_EQ(text.text, "abcd");
    EXPECT_EQ(text.runs.size(), 1u);
}

TEST(RtfReader, RefusesWhatIsNotRtf) {
    StyledText text;
    std::string error;
    EXPECT_FALSE(ReadRtf("", text, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(ReadRtf("hello {\\rtf1 x}", text, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ReadRtf("{\\rt", text, &error));
    EXPECT_TRUE(IsRtf("{\\rtf"));
    EXPECT_FALSE(IsRtf("{\\RTF1"));
}

TEST(RtfReader, RefusesDocumentsLargerThanTheLimit) {
    std::string huge(kMaxRtfDocumentSize + 1, 'x');
    huge.replace(0, kRtfSignature.size(), kRtfSignature);
    StyledText text;
    std::string error;
    EXPECT_FALSE(ReadRtf(huge, text, &error));
    EXPECT_NE(error.find("too large"), std::string::npos);
}

TEST(RtfReader, ReadsATruncatedDocumentAsFarAsItGoes) {
    EXPECT_EQ(VisibleLines(R"({\rtf1 abc\par de{\b fg)"),
              (std::vector<std::string>{"abc", "defg"}));
    // A damaged escape is dropped and what follows it reads as text.
    EXPECT_EQ(VisibleLines(R"({\rtf1 abc\'4)"), (std::vector<std::string>{"abc4"}));
    EXPECT_EQ(VisibleLines(R"({\rtf1 abc\)"), (std::vector<std::string>{"abc"}));
    EXPECT_EQ(VisibleLines(R"({\rtf1 abc\bin99)"), (std::vector<std::string>{"abc"}));
}

TEST(RtfReader, DeepNestingUsesNoStack) {
    const size_t depth = 100000;
    const std::string nested =
        "{\\rtf1 a" + std::string(depth, '{') + "\\b x" + std::string(depth, '}') + "y}";
    const StyledText text = Read(nested);
    EXPECT_EQ(text.text, "axy");
    EXPECT_EQ(StyleAt(text, 1), (Style{0, 1}));
    EXPECT_EQ(StyleAt(text, 2), (Style{0, 0}));  // the group's bold ended with it

    const size_t tooDeep = kMaxRtfGroupDepth + 1000;
    EXPECT_EQ(
        Read("{\\rtf1 a" + std::string(tooDeep, '{') + "x" + std::string(tooDeep, '}') + "y}").text,
        "axy");
    EXPECT_EQ(Read("{\\rtf1 a" + std::string(tooDeep, '{')).text, "a");
}

TEST(RtfReader, SkipsDestinationsAndIgnorableGroups) {
    const StyledText text =
        Read(R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}}{\stylesheet{\s0 Normal;}})"
             R"({\info{\title T}{\author A}}{\*\generator Writer 1.0;}{\*\unknowndest hidden})"
             R"({\pict\pngblip 89504e47}{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}})"
             R"(\pard shown\par})");
    EXPECT_EQ(text.text, "linkshown\n");
}

TEST(RtfReader, ReadsTheColourTableAndColourAndBoldChanges) {
    const StyledText text = Read(
        R"({\rtf1{\colortbl;\red10\green20\blue30;\red1\green2\blue3;}\cf1 a\b b\b0 c\cf2\b1 d)"
        R"(\plain e\cf7 f\cf g})");
    ASSERT_EQ(text.colours.size(), 3u);
    EXPECT_TRUE(text.colours[0].automatic);
    EXPECT_EQ(text.colours[1].green, 20);
    EXPECT_FALSE(text.colours[1].automatic);
    EXPECT_EQ(text.colours[2].blue, 3);
    EXPECT_EQ(text.text, "abcdefg");
    EXPECT_EQ(StyleAt(text, 0), (Style{1, 0}));
    EXPECT_EQ(StyleAt(text, 1), (Style{1, 1}));
    EXPECT_EQ(StyleAt(text, 2), (Style{1, 0}));
    EXPECT_EQ(StyleAt(text, 3), (Style{2, 1}));
    EXPECT_EQ(StyleAt(text, 4), (Style{0, 0}));
    EXPECT_EQ(StyleAt(text, 5), (Style{7, 0}));  // past the table: the pane's own colour
    EXPECT_EQ(StyleAt(text, 6), (Style{0, 0}));
}

TEST(RtfReader, ReadsEscapesAndSpecialCharacters) {
    EXPECT_EQ(Read(R"({\rtf1 \\\{\}\'e9\'80\~\_x\-y})").text, "\\{}\xE9\x80\xA0-xy");
    EXPECT_EQ(Read(R"({\rtf1 \emdash\lquote\rquote\bullet})").text, "\x97\x91\x92\x95");
    EXPECT_EQ(Read(R"({\rtf1 a\'zzb})").text, "azzb");  // a damaged escape yields nothing
}

TEST(RtfReader, ReadsUnicodeAndSkipsItsFallback) {
    EXPECT_EQ(Read(R"({\rtf1 \u8364?x})").text, "\x80x");
    EXPECT_EQ(Read(R"({\rtf1 \u233\'e9x})").text, "\xE9x");
    EXPECT_EQ(Read(R"({\rtf1\uc2 \u20013??x\uc0 \u233 y})").text, "?x\xE9y");
    EXPECT_EQ(Read(R"({\rtf1 \u-3913?x})").text, "?x");  // U+F0B7, not in the code page
    EXPECT_EQ(Read(R"({\rtf1 {\uc3\u233 a}bc})").text,
              "\xE9"
              "bc");  // the group ends the fallback
}

TEST(RtfReader, BreaksLinesAndExpandsTabs) {
    EXPECT_EQ(VisibleLines(R"({\rtf1 a\tab b\line 12345678\tab c\par\par d\
e})"),
              (std::vector<std::string>{"a       b", "12345678        c", "", "d", "e"}));
    EXPECT_EQ(Read("{\\rtf1 a\r\nb\tc}").text, "ab      c");
}

TEST(RtfReader, IgnoresUnknownWordsBinaryDataAndTextAfterTheEnd) {
    EXPECT_EQ(Read(R"({\rtf1 \foo123 a\bar-5 b\bin4 {}\}c} after)").text, "abc");
    EXPECT_EQ(Read("{\\rtf1 a} }{b").text, "a");
    EXPECT_EQ(Read("{\\rtf1 a\\par99999999999999999999 b}").text, "a\nb");
}

TEST(RtfReader, BinaryGarbageAfterTheSignatureReadsBestEffort) {
    std::string garbage = "{\\rtf1 ";
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    }
    StyledText text;
    std::string error;
    EXPECT_TRUE(ReadRtf(garbage, text, &error));
    for (const char c : text.text) {
        EXPECT_TRUE(c == '\n' || static_cast<uint8_t>(c) >= 0x20) << int{c};
    }
}

TEST(RtfReader, PlainTextKeepsLinesAndDropsControlCharacters) {
    StyledText text;
    ReadPlainText("ab\r\ncd\x01\tx\n", text);
    EXPECT_EQ(text.LineCount(), 3u);
    EXPECT_EQ(text.Line(0), "ab");
    EXPECT_EQ(text.Line(1), "cd      x");
    EXPECT_EQ(text.Line(2), "");
    EXPECT_EQ(text.longestLine, 9u);
}

TEST(RtfReader, ReadingAgainReplacesTheContent) {
    StyledText text;
    std::string error;
    ASSERT_TRUE(ReadRtf(R"({\rtf1{\colortbl;\red1\green1\blue1;}\cf1 one\par two})", text, &error));
    ASSERT_TRUE(ReadRtf(R"({\rtf1 three})", text, &error));
    EXPECT_EQ(text.text, "three");
    EXPECT_EQ(text.LineCount(), 1u);
    EXPECT_TRUE(text.colours.empty());
    EXPECT_EQ(text.runs.size(), 1u);
}

TEST(StyledText, FindsLinesAndRunsByOffset) {
    const StyledText text = Read(R"({\rtf1 ab\par\b cd\par e})");
    EXPECT_EQ(text.LineAt(0), 0u);
    EXPECT_EQ(text.LineAt(2), 0u);  // the line feed belongs to its line
    EXPECT_EQ(text.LineAt(3), 1u);
    EXPECT_EQ(text.LineAt(6), 2u);
    EXPECT_EQ(text.LineAt(100), 2u);
    EXPECT_EQ(StyleAt(text, 0), (Style{0, 0}));
    EXPECT_EQ(StyleAt(text, 3), (Style{0, 1}));
    EXPECT_EQ(StyleAt(text, 100), (Style{0, 1}));
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// The general reader's result for an own document: the same document with a generator name the
// fast reader does not know (the general reader skips that group either way).
StyledText ReadGenerally(std::string_view document) {
    std::string changed(document);
    const size_t at = changed.find("Msftedit");
    EXPECT_NE(at, std::string::npos);
    changed.replace(at, 8, "Other");
    return Read(changed);
}

void ExpectSameContent(const StyledText& fast, const StyledText& general) {
    EXPECT_EQ(fast.text, general.text);
    EXPECT_EQ(fast.lineStarts, general.lineStarts);
    EXPECT_EQ(fast.longestLine, general.longestLine);
    ASSERT_EQ(fast.runs.size(), general.runs.size());
    for (size_t i = 0; i < fast.runs.size(); ++i) {
        EXPECT_EQ(fast.runs[i].start, general.runs[i].start) << i;
        EXPECT_EQ(fast.runs[i].colour, general.runs[i].colour) << i;
        EXPECT_EQ(fast.runs[i].bold, general.runs[i].bold) << i;
    }
    ASSERT_EQ(fast.colours.size(), general.colours.size());
    for (size_t i = 0; i < fast.colours.size(); ++i) {
        EXPECT_EQ(fast.colours[i].red, general.colours[i].red);
        EXPECT_EQ(fast.colours[i].green, general.colours[i].green);
        EXPECT_EQ(fast.colours[i].blue, general.colours[i].blue);
        EXPECT_EQ(fast.colours[i].automatic, general.colours[i].automatic);
    }
}

TEST(RtfReader, OwnDocumentsReadAlikeOnTheFastAndTheGeneralWay) {
    auto capture = MakeCapture();
    for (int i = 0; i < 2000; ++i) {
        capture->Record(static_cast<uint8_t>(i), static_cast<uint32_t>(i * 37),
                        (i / 3) % 2 == 0 ? TrafficSent : TrafficReceived);
    }
    CommLogRenderer renderer;
    for (const int hexDisplay : {1, 0}) {
        renderer.Render(1, *capture, hexDisplay, 0, nullptr);
        ExpectSameContent(Read(renderer.Document()), ReadGenerally(renderer.Document()));
    }
    auto empty = MakeCapture();
    renderer.Render(1, *empty, 1, 0, nullptr);
    ExpectSameContent(Read(renderer.Document()), ReadGenerally(renderer.Document()));
}

TEST(RtfReader, OwnHeaderWithOtherContentStillReadsInFull) {
    const std::string header(kCommLogHeader);
    EXPECT_EQ(Read(header + R"(a\tab b{\b c}\'41\u66?d \par }tail)").text, "a       bcABd \n");
    EXPECT_EQ(Read(header + R"(ab\par cd)").text, "ab\ncd");  // truncated
    EXPECT_EQ(Read(header + "a} }").text, "a");
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(PlainTextToRtf, ReadsBackAsTheSameText) {
    const std::string text = "plain {text} with \\ and \xE9\x80\n\nlast";
    const std::string rtf = PlainTextToRtf(text);
    EXPECT_TRUE(IsRtf(rtf));
    EXPECT_EQ(Read(rtf).text, text);
    EXPECT_EQ(Read(PlainTextToRtf("")).text, "");
}

}  // namespace
}  // namespace kestrel
