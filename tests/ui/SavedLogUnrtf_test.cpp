// A saved log read by an RTF reader that is not ours: unrtf (Debian package unrtf).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "commlog/CommLogRenderer.h"
#include "console/CommLogCommands.h"
#include "support/FakeDialogHost.h"
#include "support/ScratchFolder.h"
#include "support/Unrtf.h"
#include "ui/CRichtextctrl1.h"

namespace kestrel {
namespace {

using testing::Unrtf;
using testing::UnrtfInstalled;

class SavedLogUnrtfTest : public ::testing::Test {
  protected:
    // Renders the capture into the pane and saves it as the operator would.
    std::string Save(int hexDisplay) {
        CommLogRenderer renderer;
        renderer.Render(1, *m_capture, hexDisplay, 0, &m_pane);
        testing::FakeDialogHost host;
        host.m_saveFileAnswer = m_scratch.File(hexDisplay != 0 ? "hex" : "text");
        std::string commDataPath;
        EXPECT_EQ(SaveCommData(host, m_pane, commDataPath), 1);
        return commDataPath;
    }

    std::unique_ptr<TrafficCapture> m_capture = std::make_unique<TrafficCapture>();
    CRichtextctrl1 m_pane;
    testing::ScratchFolder m_scratch;
};

TEST_F(SavedLogUnrtfTest, ColoursBoldBytesAndRowsComeThrough) {
    if (!UnrtfInstalled()) {
        GTEST_SKIP() << "unrtf is not installed";
    }
    m_capture->Record(0x1B, 5000, TrafficSent);
    m_capture->Record(0x40, 5002, TrafficSent);
    m_capture->Record(0x00, 5010, TrafficReceived);
    const std::string path = Save(1);
    ASSERT_EQ(path, m_scratch.File("hex.rtf"));

    const std::string text = Unrtf("--text", path);
    EXPECT_NE(text.find("1B..40......"), std::string::npos) << text;
    EXPECT_NE(text.find("........00.."), std::string::npos) << text;
    EXPECT_NE(text.find("000 002 008"), std::string::npos) << text;

    const std::string html = Unrtf("--html", path);
    EXPECT_NE(html.find("<font color=\"#ff0000\">000 </font>"), std::string::npos) << html;
    EXPECT_NE(html.find("<font color=\"#339966\"><b>1B</b>..</font>"), std::string::npos) << html;
    EXPECT_NE(html.find("<font color=\"#339966\"><b>40</b>..</font>"), std::string::npos);
    EXPECT_NE(html.find("<font color=\"#0000ff\"><b>00</b>.."), std::string::npos);
    EXPECT_NE(html.find("<font color=\"#0000ff\">....</font>"), std::string::npos);
}

TEST_F(SavedLogUnrtfTest, TextFormNamesAndEscapesComeThrough) {
    if (!UnrtfInstalled()) {
        GTEST_SKIP() << "unrtf is not installed";
    }
    for (const int byte : {0x1B, int{'{'}, int{'\\'}, int{'}'}, 0x81}) {
        m_capture->Record(static_cast<uint8_t>(byte), 100, TrafficSent);
    }
    m_capture->Record('A', 100, TrafficReceived);
    const std::string text = Unrtf("--text", Save(0));
    EXPECT_NE(text.find("[ESC]{\\}<0x81>."), std::string::npos) << text;
    EXPECT_NE(text.find("..............A"), std::string::npos) << text;
}

}  // namespace
}  // namespace kestrel
