#include "console/CommLogCommands.h"

#include <gtest/gtest.h>

#include <memory>

#include "commlog/CommLogRenderer.h"
#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "support/FakeCommLogPane.h"
#include "support/FakeDialogHost.h"

namespace kestrel {
namespace {

using testing::FakeCommLogPane;
using testing::FakeDialogHost;

constexpr const char* kDefaultPath = "/home/op/.local/share/Norvane/Kestrel/KestrelCommData.rtf";

TEST(ClearCommLog, EmptiesTheCaptureAndShowsOneEmptyBlock) {
    auto capture = std::make_unique<TrafficCapture>();
    for (int i = 0; i < 40; ++i) {
        capture->Record(0x41, 100, TrafficSent);
    }
    capture->m_trafficFirstShown = 7;
    CommLogRenderer renderer;
    FakeCommLogPane pane;
    renderer.Render(0, *capture, 1, 0, &pane);
    ASSERT_EQ(renderer.m_lastRenderedCount, 40);

    std::vector<int> forces;
    ClearCommLog(*capture, [&](int force) {
        forces.push_back(force);
        EXPECT_EQ(renderer.m_lastRenderedCount, 40);  // left as it was until the rendering
        return renderer.Render(force, *capture, 1, 0, &pane);
    });
    EXPECT_EQ(forces, std::vector<int>{0});
    EXPECT_EQ(capture->m_trafficCount, 0);
    EXPECT_EQ(capture->m_trafficFirstShown, 7);
    for (const TrafficRecord& record : capture->m_traffic) {
        ASSERT_EQ(record.value, 0);
        ASSERT_EQ(record.direction, 0);
        ASSERT_EQ(record.tick, 0u);
    }
    EXPECT_EQ(pane.m_documentsSet, 2);
    EXPECT_EQ(renderer.m_lastRenderedCount, 0);
    EXPECT_EQ(pane.m_document.find(R"(\b 41)"), std::string::npos);
}

TEST(ToggleLogging, StopsAndRestartsTheRefreshTimer) {
    FakeDialogHost host;
    host.SetItemText(IDC_STOPLOGGING, "Stop Logging");
    host.SetTimer(TIMER_LOG_REFRESH, 100);
    host.m_timerCalls.clear();

    ToggleLogging(host);
    EXPECT_EQ(host.GetItemText(IDC_STOPLOGGING), "Start Logging");
    EXPECT_FALSE(host.IsTimerArmed(TIMER_LOG_REFRESH));

    ToggleLogging(host);
    EXPECT_EQ(host.GetItemText(IDC_STOPLOGGING), "Stop Logging");
    EXPECT_EQ(host.m_timers, (std::map<int, uint32_t>{{TIMER_LOG_REFRESH, 100}}));
    EXPECT_EQ(host.m_timerCalls,
              (std::vector<FakeDialogHost::TimerCall>{{TIMER_LOG_REFRESH, false, 0},
                                                      {TIMER_LOG_REFRESH, true, 100}}));
}

TEST(ToggleLogging, LooksForTheStopTextAnywhereInTheCaption) {
    FakeDialogHost host;
    host.SetItemText(IDC_STOPLOGGING, "&Stop Logging now");
    ToggleLogging(host);
    EXPECT_EQ(host.GetItemText(IDC_STOPLOGGING), "Start Logging");

    host.SetItemText(IDC_STOPLOGGING, "stop logging");  // the test is case-sensitive
    ToggleLogging(host);
    EXPECT_EQ(host.GetItemText(IDC_STOPLOGGING), "Stop Logging");
    EXPECT_TRUE(host.IsTimerArmed(TIMER_LOG_REFRESH));
}

TEST(SaveCommData, AsksWithTheLogFilterAndSavesToTheChosenFile) {
    FakeDialogHost host;
    FakeCommLogPane pane;
    std::string commDataPath = kDefaultPath;
    host.m_saveFileAnswer = "/tmp/logs/today.rtf";
    EXPECT_EQ(SaveCommData(host, pane, commDataPath), 1);
    EXPECT_EQ(host.m_fileDialogFilters,
              std::vector<std::string>{"Communication Log files    (*.rtf;*.rtf)|*.rtf;*.rtf||"});
    EXPECT_EQ(pane.m_savedPaths, std::vector<std::string>{"/tmp/logs/today.rtf"});
    EXPECT_EQ(commDataPath, "/tmp/logs/today.rtf");
    EXPECT_TRUE(host.m_messages.empty());
}

TEST(SaveCommData, AddsTheExtensionOnlyWhenThePathLacksItCaseSensitively) {
    EXPECT_EQ(CommLogSavePath("/tmp/LOG.RTF"), "/tmp/LOG.RTF.rtf");
    EXPECT_EQ(CommLogSavePath("/tmp/log.rtf.bak"), "/tmp/log.rtf.bak");
    EXPECT_EQ(CommLogSavePath("/tmp/log"), "/tmp/log.rtf");
    EXPECT_EQ(CommLogSavePath("/tmp/a.rtf/log"), "/tmp/a.rtf/log");

    FakeDialogHost host;
    FakeCommLogPane pane;
    std::string commDataPath;
    host.m_saveFileAnswer = "/tmp/LOG.RTF";
    SaveCommData(host, pane, commDataPath);
    host.m_saveFileAnswer = "/tmp/log.rtf.bak";
    SaveCommData(host, pane, commDataPath);
    EXPECT_EQ(pane.m_savedPaths,
              (std::vector<std::string>{"/tmp/LOG.RTF.rtf", "/tmp/log.rtf.bak"}));
    EXPECT_EQ(commDataPath, "/tmp/log.rtf.bak");
}

TEST(SaveCommData, CancellingDoesNothing) {
    FakeDialogHost host;
    FakeCommLogPane pane;
    std::string commDataPath = kDefaultPath;
    EXPECT_EQ(SaveCommData(host, pane, commDataPath), 0);
    EXPECT_EQ(host.m_fileDialogFilters.size(), 1u);
    EXPECT_TRUE(pane.m_savedPaths.empty());
    EXPECT_TRUE(host.m_messages.empty());
    EXPECT_EQ(commDataPath, kDefaultPath);
}

TEST(SaveCommData, AFailedSaveShowsTheErrorAndKeepsTheCommDataPath) {
    FakeDialogHost host;
    FakeCommLogPane pane;
    pane.m_saveError = "Cannot save the communication log to \"/ro/x.rtf\": Permission denied";
    std::string commDataPath = kDefaultPath;
    host.m_saveFileAnswer = "/ro/x";
    EXPECT_EQ(SaveCommData(host, pane, commDataPath), 0);
    EXPECT_EQ(pane.m_savedPaths, std::vector<std::string>{"/ro/x.rtf"});
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_EQ(host.m_messages[0].text, pane.m_saveError);
    EXPECT_EQ(host.m_messages[0].caption, "Error");
    EXPECT_EQ(host.m_messages[0].style, kMbOk | kMbIconError);
    EXPECT_EQ(commDataPath, kDefaultPath);
}

}  // namespace
}  // namespace kestrel
