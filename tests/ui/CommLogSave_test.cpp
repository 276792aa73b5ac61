// Save Comm Data and the start-up load with the real log pane and real files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>

#include "commlog/CommLogRenderer.h"
#include "console/CommLogCommands.h"
#include "support/FakeDialogHost.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "ui/CRichtextctrl1.h"

namespace kestrel {
namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

class CommLogSaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto capture = std::make_unique<TrafficCapture>();
        capture->Record(0x02, 10, TrafficSent);
        capture->Record(0x06, 14, TrafficReceived);
        CommLogRenderer renderer;
        renderer.Render(1, *capture, 1, 0, &m_pane);
    }

    CRichtextctrl1 m_pane;
    testing::FakeDialogHost m_host;
    testing::ScratchFolder m_scratch;
    std::string m_commDataPath = "/previous/KestrelCommData.rtf";
};

TEST_F(CommLogSaveTest, AddsTheExtensionOnlyWhereTheNameLacksIt) {
    struct Case {
        const char* chosen;
        const char* saved;
        const char* notWritten;
    };
    for (const Case& c : {Case{"LOG.RTF", "LOG.RTF.rtf", "LOG.RTF"},
                          Case{"log.rtf.bak", "log.rtf.bak", "log.rtf.bak.rtf"}}) {
        m_host.m_saveFileAnswer = m_scratch.File(c.chosen);
        ASSERT_EQ(SaveCommData(m_host, m_pane, m_commDataPath), 1) << c.chosen;
        EXPECT_EQ(m_commDataPath, m_scratch.File(c.saved));
        EXPECT_EQ(testing::ReadFileBytes(m_scratch.File(c.saved)), m_pane.Document());
        EXPECT_FALSE(Exists(m_scratch.File(c.notWritten)));
    }
}

TEST_F(CommLogSaveTest, AnUnwritablePathIsReportedAndTheOldPathKept) {
    std::ofstream(m_scratch.File("notafolder")) << "x";
    m_host.m_saveFileAnswer = m_scratch.File("notafolder/log");
    EXPECT_EQ(SaveCommData(m_host, m_pane, m_commDataPath), 0);
    EXPECT_EQ(m_commDataPath, "/previous/KestrelCommData.rtf");
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].caption, "Error");
    EXPECT_NE(m_host.m_messages[0].text.find(m_scratch.File("notafolder/log.rtf")),
              std::string::npos);
    EXPECT_NE(m_host.m_messages[0].text.find("Not a directory"), std::string::npos);
}

TEST_F(CommLogSaveTest, TheSavedFileLoadsAtTheNextStart) {
    m_host.m_saveFileAnswer = m_scratch.File("start");
    ASSERT_EQ(SaveCommData(m_host, m_pane, m_commDataPath), 1);
    CRichtextctrl1 next;
    std::string error;
    ASSERT_TRUE(LoadCommLog(next, m_commDataPath, &error)) << error;
    EXPECT_EQ(next.Text(), m_pane.Text());
    EXPECT_FALSE(LoadCommLog(next, m_scratch.File("missing.rtf"), &error));
    EXPECT_EQ(next.Text(), m_pane.Text());
}

}  // namespace
}  // namespace kestrel
