// The log the console saves on its way out, from the real pane, read back by unrtf with its
// colours; and saved once whichever way out is taken.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/ControlIds.h"
#include "support/ConsoleTestFixture.h"
#include "support/FileBytes.h"
#include "support/Unrtf.h"
#include "ui/CRichtextctrl1.h"

namespace kestrel {
namespace {

class ExitSavedLogTest : public testing::ConsoleTest {
  protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        m_host.m_logPane = &m_realPane;
    }

    // Some traffic both ways, shown in hexadecimal.
    void ShowTraffic() {
        m_app->m_capture.Record(0x1B, 5000, TrafficSent);
        m_app->m_capture.Record(0x40, 5002, TrafficSent);
        m_app->m_capture.Record(0x00, 5010, TrafficReceived);
        m_app->m_hexDisplay = 1;
        m_app->RenderCommLog(1);
    }

    CRichtextctrl1 m_realPane;
};

TEST_F(ExitSavedLogTest, TheLogOfANormalExitReadsBackWithItsColours) {
    if (!testing::UnrtfInstalled()) {
        GTEST_SKIP() << "unrtf is not installed";
    }
    Start();
    ShowTraffic();
    m_dlg->OnCommand(IDC_EXITIMAGE, kBnClicked);
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_EQ(m_host.m_endResult, kIdOk);
    const std::string path = m_dlg->m_commDataPath;
    ASSERT_TRUE(std::filesystem::is_regular_file(path));

    const std::string html = testing::Unrtf("--html", path);
    EXPECT_NE(html.find("<font color=\"#339966\"><b>1B</b>..</font>"), std::string::npos) << html;
    EXPECT_NE(html.find("<font color=\"#339966\"><b>40</b>..</font>"), std::string::npos);
    EXPECT_NE(html.find("<font color=\"#0000ff\"><b>00</b>.."), std::string::npos);
    EXPECT_NE(html.find("<font color=\"#ff0000\">000 </font>"), std::string::npos);
}

TEST_F(ExitSavedLogTest, CloseAndEscapeSaveTheLogOnce) {
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Close");
        Start();
        ShowTraffic();
        const std::string path = m_dlg->m_commDataPath;
        std::filesystem::remove(path);
        escape ? m_dlg->OnCancel() : m_dlg->OnClose();
        ASSERT_TRUE(std::filesystem::is_regular_file(path));
        const std::string saved = testing::ReadFileBytes(path);
        EXPECT_NE(saved.find("\\b 1B"), std::string::npos);
        // Whatever comes after the first way out saves nothing more.
        std::filesystem::remove(path);
        m_dlg->OnClose();
        m_dlg->OnCancel();
        m_dlg->OnCommand(IDC_EXITIMAGE, kBnClicked);
        EXPECT_FALSE(std::filesystem::exists(path));
        End();
    }
}

}  // namespace
}  // namespace kestrel
