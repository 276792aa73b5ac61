// The console's connection against real peers: a printer that stops reading and a device that
// goes away are the lost connection; a connection that is slow to be answered is shown while
// the window keeps painting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "console/ControlIds.h"
#include "console/TimerIds.h"
#include "port/PortTestSupport.h"
#include "support/ConsoleTestFixture.h"
#include "support/LoopbackListener.h"
#include "support/PseudoTerminal.h"

namespace kestrel {
namespace {

using testing::ConsoleTest;

class ConsoleConnectionTest : public ConsoleTest {
  protected:
    // The box, with the port layer's reason on the line below.
    void ExpectTheLostConnectionBox(const std::string& reason) {
        EXPECT_FALSE(m_dlg->m_portOpen);
        ASSERT_EQ(m_host.m_messages.size(), 1u);
        const std::string& text = m_host.m_messages[0].text;
        EXPECT_EQ(text.rfind("Lost connection to printer\r\n", 0), 0u) << text;
        EXPECT_NE(text.find(reason), std::string::npos) << text;
        EXPECT_EQ(m_host.m_messages[0].caption, "Error");
        EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMM");
        EXPECT_FALSE(m_app->m_ioComm.IsOpen());
    }
};

// Ventrix packets to a printer that reads nothing: once its few kilobytes are full and it has
// taken nothing for the stall limit (lowered here), the send ends in the lost connection.
TEST_F(ConsoleConnectionTest, APrinterThatStopsReadingIsALostConnection) {
    uint16_t port = 0;
    const int listener = testing::ListenWithoutReading(&port);
    ASSERT_TRUE(Settings()->SetDword("PrinterStallTimeout", 300));
    m_realTime = true;
    Start({"ventrix"});
    m_app->m_portName = "127.0.0.1:" + std::to_string(port);
    Click(IDC_COMM);
    ASSERT_TRUE(m_dlg->m_portOpen);
    SetCheck(IDC_VENTRIXMODE, true);
    m_host.SetItemText(IDC_CMDCOMBO, "<0x02><0x04>" + std::string(240, 'A'));
    for (int send = 0; send < 60 && m_dlg->m_portOpen; ++send) {
        Click(IDC_SENDCOMMAND);
    }
    ExpectTheLostConnectionBox("returned: 110 (the printer took nothing for 300 ms)");
    close(listener);
}

// The far end of the pseudo-terminal closes: the next read tick finds the device gone.
TEST_F(ConsoleConnectionTest, AVanishedTerminalIsALostConnectionAtTheNextReadTick) {
    auto pty = std::make_unique<testing::PseudoTerminal>();
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", pty->SlavePath()));
    Start();
    m_app->m_portName = "COM5";
    Click(IDC_COMM);
    ASSERT_TRUE(m_dlg->m_portOpen);
    pty.reset();
    m_dlg->OnTimer(TIMER_STATUS_READ);
    ExpectTheLostConnectionBox("returned: 5 (the device has gone)");
    EXPECT_EQ(m_clock.m_slept, 0u);
}

// COMM against an address whose queue of connections is full: the identity line says what is
// waited for and the window paints while it waits, with no tick and no other event running;
// once the queue has room, the retried request is answered.
TEST_F(ConsoleConnectionTest, WaitingForAConnectionIsShownWhileTheWindowPaints) {
    testing::FullListener listener;
    ASSERT_TRUE(listener.Full());
    Start();
    m_app->m_portName = listener.Address();
    std::vector<std::string> shown;
    m_host.m_onRepaint = [&] {
        shown.push_back(m_host.GetItemText(IDC_INFOLINE1) +
                        (m_dlg->m_timerSuspended != 0 ? "" : " (ticks running)"));
        if (shown.size() >= 3) {
            listener.AcceptWaiting();
        }
    };
    Click(IDC_COMM);
    EXPECT_TRUE(m_dlg->m_portOpen) << m_app->m_ioComm.m_lastError;
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown, std::vector<std::string>(shown.size(),
                                              "Connecting to " + listener.Address() + " ..."));
    EXPECT_EQ(m_host.m_dispatches, 0);
    EXPECT_EQ(m_dlg->m_timerSuspended, 0);
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE1), "Port identity is: " + listener.Address());
}

}  // namespace
}  // namespace kestrel
