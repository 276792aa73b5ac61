#include "commlog/CommLogRenderer.h"

#include <gtest/gtest.h>

#include <string>

#include "commlog/CommLogTestData.h"
#include "support/FakeCommLogPane.h"

namespace kestrel {
namespace {

using testing::CountOf;
using testing::FakeCommLogPane;
using testing::kExpectedEmptyBlock;
using testing::kExpectedHeader;
using testing::kExpectedTrailer;
using testing::MakeCapture;
using testing::VisibleLines;

constexpr int kHex = 1;
constexpr int kText = 0;

std::string Document(std::string_view body) {
    return std::string(kExpectedHeader) + std::string(body) + std::string(kExpectedTrailer);
}

// One block: the sent, received and time rows with their separators.
std::string Block(std::string_view sent, std::string_view received, std::string_view time) {
    return std::string(sent) + R"( \par )" + std::string(received) + R"( \par )" +
           std::string(time) + R"( \par  \par )";
}

std::string RenderedDocument(TrafficCapture& capture, int hexDisplay) {
    CommLogRenderer renderer;
    FakeCommLogPane pane;
    EXPECT_EQ(renderer.Render(1, capture, hexDisplay, 0, &pane), 1);
    EXPECT_EQ(pane.m_document, renderer.Document());
    return pane.m_document;
}

TEST(CommLogRenderer, EmptyCaptureIsHeaderOneEmptyBlockAndTrailer) {
    auto capture = MakeCapture();
    CommLogRenderer renderer;
    FakeCommLogPane pane;
    EXPECT_EQ(renderer.Render(0, *capture, kHex, 0, &pane), 1);
    EXPECT_EQ(pane.m_document, Document(kExpectedEmptyBlock));
    EXPECT_EQ(RenderedDocument(*capture, kText), Document(kExpectedEmptyBlock));
}

TEST(CommLogRenderer, HandsTheDocumentToThePaneThenMovesTheCaretToTheEnd) {
    auto capture = MakeCapture();
    capture->Record(0x41, 1000, TrafficSent);
    CommLogRenderer renderer;
    FakeCommLogPane pane;
    renderer.Render(0, *capture, kHex, 0, &pane);
    EXPECT_EQ(pane.m_calls,
              (std::vector<std::string>{"SetDocument", "SetSelectionStart", "SetProperty5"}));
    EXPECT_EQ(pane.m_selectionStart, 9999999);
    EXPECT_EQ(pane.m_property5, 1);
}

TEST(CommLogRenderer, WorkedExampleInHexadecimal) {
    auto capture = MakeCapture();
    capture->Record(0x1B, 5000, TrafficSent);
    capture->Record(0x40, 5002, TrafficSent);
    capture->Record(0x00, 5010, TrafficReceived);
    const std::string document = RenderedDocument(*capture, kHex);
    EXPECT_EQ(document, Document(Block(R"(\cf2 \b 1B\b0 ..\cf2 \b 40\b0 ..\cf2 ....)",
                                       R"(\cf3 ....\cf3 ....\cf3 \b 00\b0 ..)",
                                       R"(\cf1 000 \cf1 002 \cf1 008 )")));
    const auto lines = VisibleLines(document);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "1B..40...... ");
    EXPECT_EQ(lines[1], "........00.. ");
    EXPECT_EQ(lines[2], "000 002 008  ");
}

TEST(CommLogRenderer, SixteenHexBytesFillOneBlockAndLeaveAnEmptyOne) {
    auto capture = MakeCapture();
    for (int i = 0; i < 16; ++i) {
        capture->Record(static_cast<uint8_t>(0xF0 + i), 100, TrafficReceived);
    }
    const std::string document = RenderedDocument(*capture, kHex);
    const std::string tail = std::string(R"( \par  \par )") + std::string(kExpectedEmptyBlock) +
                             std::string(kExpectedTrailer);
    ASSERT_GE(document.size(), tail.size());
    EXPECT_EQ(document.substr(document.size() - tail.size()), tail);
    const auto lines = VisibleLines(document);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], std::string(64, '.') + " ");
    EXPECT_EQ(lines[1], "F0..F1..F2..F3..F4..F5..F6..F7..F8..F9..FA..FB..FC..FD..FE..FF.. ");
    std::string times;
    for (int i = 0; i < 16; ++i) {
        times += "000 ";
    }
    EXPECT_EQ(lines[2], times + " ");
    for (size_t line = 3; line < 9; ++line) {
        EXPECT_EQ(lines[line], " ") << line;
    }
}

TEST(CommLogRenderer, FifteenHexBytesStayInOneBlock) {
    auto capture = MakeCapture();
    for (int i = 0; i < 15; ++i) {
        capture->Record(0x30, 100, TrafficSent);
    }
    EXPECT_EQ(VisibleLines(RenderedDocument(*capture, kHex)).size(), 6u);
}

TEST(CommLogRenderer, TimeDeltasAreMillisecondsModulo4096InLowerCaseHex) {
    auto capture = MakeCapture();
    capture->Record(0x01, 20000, TrafficSent);
    capture->Record(0x02, 25000, TrafficReceived);  // 5000 ms later: 904 = 0x388
    capture->Record(0x03, 25171, TrafficSent);      // 171 ms: 0x0ab
    capture->Record(0x04, 0xFFFFFFF0u, TrafficSent);
    capture->Record(0x05, 0x10, TrafficSent);  // the tick count wrapped: 32 ms
    const std::string document = RenderedDocument(*capture, kHex);
    EXPECT_NE(document.find(R"(\cf1 000 \cf1 388 \cf1 0ab )"), std::string::npos);
    EXPECT_NE(document.find(R"(\cf1 020 )"), std::string::npos);
}

TEST(CommLogRenderer, TextFormControlBytesShowTheirNames) {
    auto capture = MakeCapture();
    capture->Record(0x1B, 100, TrafficSent);
    capture->Record(0x41, 101, TrafficReceived);
    capture->Record(0x1F, 102, TrafficSent);
    capture->Record(0x00, 103, TrafficReceived);
    EXPECT_EQ(RenderedDocument(*capture, kText),
              Document(Block(R"(\cf2 \b [ESC]\b0 \cf2 .\cf2 \b [US]\b0 \cf2 ......)",
                             R"(\cf3 .....\cf3 \b A\b0 \cf3 ....\cf3 \b [NULL]\b0 )",
                             std::string(5 + 1 + 4 + 6, ' '))));
}

TEST(CommLogRenderer, TextFormHighBytesShowAsNumbers) {
    auto capture = MakeCapture();
    capture->Record(0x7F, 100, TrafficSent);
    capture->Record(0xFF, 100, TrafficReceived);
    EXPECT_EQ(RenderedDocument(*capture, kText),
              Document(Block(R"(\cf2 \b <0x7F>\b0 \cf2 ......)", R"(\cf3 ......\cf3 \b <0xFF>\b0 )",
                             std::string(12, ' '))));
}

TEST(CommLogRenderer, TextFormEscapesRtfSpecialCharactersAtWidthOne) {
    auto capture = MakeCapture();
    capture->Record('\\', 100, TrafficSent);
    capture->Record('{', 100, TrafficSent);
    capture->Record('}', 100, TrafficReceived);
    const std::string document = RenderedDocument(*capture, kText);
    EXPECT_EQ(document, Document(Block(R"(\cf2 \b \\\b0 \cf2 \b \{\b0 \cf2 .)",
                                       R"(\cf3 .\cf3 .\cf3 \b \}\b0 )", "   ")));
    const auto lines = VisibleLines(document);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "\\{. ");
    EXPECT_EQ(lines[1], "..} ");
}

TEST(CommLogRenderer, TextFormBlockEndsWithTheCellThatPassesWidth62) {
    auto capture = MakeCapture();
    for (int i = 0; i < 62; ++i) {
        capture->Record('a', 100, TrafficSent);
    }
    EXPECT_EQ(VisibleLines(RenderedDocument(*capture, kText)).size(), 6u);  // one block
    capture->Record(0x02, 100, TrafficSent);                                // [STX]: width 67
    const auto lines = VisibleLines(RenderedDocument(*capture, kText));
    ASSERT_EQ(lines.size(), 10u);  // a full block and an empty one
    EXPECT_EQ(lines[0], std::string(62, 'a') + "[STX] ");
    EXPECT_EQ(lines[1], std::string(67, '.') + " ");
}

TEST(CommLogRenderer, UnforcedRefreshWithoutNewBytesLeavesThePaneAlone) {
    auto capture = MakeCapture();
    capture->Record(0x41, 100, TrafficSent);
    CommLogRenderer renderer;
    FakeCommLogPane pane;
    EXPECT_EQ(renderer.Render(0, *capture, kHex, 0, &pane), 1);
    EXPECT_EQ(renderer.m_lastRenderedCount, 1);
    EXPECT_EQ(renderer.Render(0, *capture, kHex, 0, &pane), 0);
    EXPECT_EQ(pane.m_documentsSet, 1);

    // Switching the form forces a rendering although nothing arrived.
    EXPECT_EQ(renderer.Render(1, *capture, kText, 0, &pane), 1);
    EXPECT_EQ(pane.m_documentsSet, 2);
    EXPECT_NE(pane.m_document.find(R"(\cf2 \b A\b0 )"), std::string::npos);

    capture->Record(0x42, 150, TrafficReceived);
    EXPECT_EQ(renderer.Render(0, *capture, kHex, 0, &pane), 1);
    EXPECT_EQ(renderer.m_lastRenderedCount, 2);
    EXPECT_EQ(pane.m_documentsSet, 3);
}

TEST(CommLogRenderer, AnEmptyCaptureAlwaysRenders) {
    auto capture = MakeCapture();
    CommLogRenderer renderer;
    FakeCommLogPane pane;
    EXPECT_EQ(renderer.Render(0, *capture, kHex, 0, &pane), 1);
    EXPECT_EQ(renderer.Render(0, *capture, kHex, 0, &pane), 1);
    EXPECT_EQ(pane.m_documentsSet, 2);
}

TEST(CommLogRenderer, RendersWithoutAPane) {
    auto capture = MakeCapture();
    capture->Record(0x41, 100, TrafficSent);
    CommLogRenderer renderer;
    EXPECT_EQ(renderer.Render(0, *capture, kHex, 0, nullptr), 1);
    EXPECT_EQ(renderer.m_lastRenderedCount, 1);
    EXPECT_NE(renderer.Document().find(R"(\cf2 \b 41\b0 ..)"), std::string_view::npos);
}

TEST(CommLogRenderer, ARecordWithoutADirectionEndsTheDump) {
    auto capture = MakeCapture();
    capture->Record(0x11, 100, TrafficSent);
    capture->Record(0x22, 100, 0);
    capture->Record(0x33, 100, TrafficReceived);
    const std::string document = RenderedDocument(*capture, kHex);
    EXPECT_NE(document.find(R"(\b 11)"), std::string::npos);
    EXPECT_EQ(document.find(R"(\b 22)"), std::string::npos);
    EXPECT_EQ(document.find(R"(\b 33)"), std::string::npos);
    EXPECT_EQ(CountOf(document, R"(\cf1 )"), 1u);  // one time cell
}

TEST(CommLogRenderer, LegacyPlatformShowsTheLast78Records) {
    auto capture = MakeCapture();
    for (int i = 0; i < 100; ++i) {
        capture->Record(static_cast<uint8_t>(i), static_cast<uint32_t>(1000 + 2 * i), TrafficSent);
    }
    CommLogRenderer renderer;
    FakeCommLogPane pane;
    renderer.Render(1, *capture, kHex, 1, &pane);
    EXPECT_EQ(capture->m_trafficFirstShown, 22);
    EXPECT_EQ(CountOf(pane.m_document, R"(\cf1 )"), 78u);
    // The first cell shown is record 22, timed from record 0.
    EXPECT_NE(pane.m_document.find(R"(\cf2 \b 16\b0 ..)"), std::string::npos);
    EXPECT_EQ(pane.m_document.find(R"(\cf2 \b 15\b0 ..)"), std::string::npos);
    EXPECT_NE(pane.m_document.find(R"(\fs16 \cf2 \b 16)"), std::string::npos);
    EXPECT_NE(pane.m_document.find(R"( \par \cf1 02c \cf1 002 )"), std::string::npos);
}

TEST(CommLogRenderer, LegacyPlatformWithFewRecordsShowsThemAll) {
    auto capture = MakeCapture();
    capture->m_trafficFirstShown = 5;
    for (int i = 0; i < 10; ++i) {
        capture->Record(0x20, 100, TrafficSent);
    }
    CommLogRenderer renderer;
    renderer.Render(1, *capture, kHex, 1, nullptr);
    EXPECT_EQ(capture->m_trafficFirstShown, 0);
    EXPECT_EQ(CountOf(renderer.Document(), R"(\cf1 )"), 10u);

    capture->m_trafficFirstShown = 5;  // outside a legacy platform the field is left alone
    renderer.Render(1, *capture, kHex, 0, nullptr);
    EXPECT_EQ(capture->m_trafficFirstShown, 5);
    EXPECT_EQ(CountOf(renderer.Document(), R"(\cf1 )"), 5u);
}

TEST(CommLogRenderer, NeverReadsOutsideTheCapture) {
    auto capture = MakeCapture();
    for (auto& record : capture->m_traffic) {
        record = TrafficRecord{0x55, 0, 7, 0, TrafficReceived, 0};
    }
    capture->m_trafficCount = kTrafficCapacity + 5000;
    CommLogRenderer renderer;
    EXPECT_EQ(renderer.Render(1, *capture, kHex, 0, nullptr), 1);
    EXPECT_EQ(CountOf(renderer.Document(), R"(\b 55)"), static_cast<size_t>(kTrafficCapacity));

    capture->m_trafficCount = -3;
    capture->m_trafficFirstShown = -8;
    EXPECT_EQ(renderer.Render(1, *capture, kHex, 0, nullptr), 1);
    EXPECT_EQ(renderer.Document(), Document(kExpectedEmptyBlock));
}

TEST(CommLogRenderer, AFullCaptureRendersEveryRecordInBothForms) {
    auto capture = MakeCapture();
    for (int i = 0; i < kTrafficResetCount - 1; ++i) {
        capture->Record(static_cast<uint8_t>(i), static_cast<uint32_t>(i * 3),
                        i % 3 == 0 ? TrafficReceived : TrafficSent);
    }
    ASSERT_EQ(capture->m_trafficCount, 14997);
    CommLogRenderer renderer;
    renderer.Render(1, *capture, kHex, 0, nullptr);
    EXPECT_EQ(CountOf(renderer.Document(), R"(\cf1 )"), 14997u);
    const auto hexLines = VisibleLines(renderer.Document());
    EXPECT_EQ(hexLines.size(), (14997u / 16 + 1) * 4 + 2);

    renderer.Render(1, *capture, kText, 0, nullptr);
    EXPECT_EQ(CountOf(renderer.Document(), R"(\b )"), 14997u);
    const std::string_view text = renderer.Document();
    EXPECT_EQ(text.substr(text.size() - kExpectedTrailer.size()), kExpectedTrailer);
}

}  // namespace
}  // namespace kestrel
