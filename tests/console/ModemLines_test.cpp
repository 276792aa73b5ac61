// The modem lines panel on a serial port that is a pseudo-terminal: it has no modem lines, so
// the lines an adapter reports come through the system-call seam; without them the terminal's
// own refusal is what the panel shows, never a box.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include "console/ControlIds.h"
#include "console/ModemLines.h"
#include "console/TimerIds.h"
#include "port/PortTestSupport.h"
#include "support/ConsoleTestFixture.h"
#include "support/PseudoTerminal.h"

namespace kestrel {
namespace {

class ModemLinesTest : public testing::ConsoleTest {
  protected:
    // What the panel shows: CTS, DSR, DCD, RI, DTR, RTS, RTS enabled; after one read tick, which
    // must ask the port `queries` times.
    std::vector<int> Tick(size_t queries) {
        const size_t before = m_sys.CountIoctls(TIOCMGET);
        m_dlg->OnTimer(TIMER_STATUS_READ);
        EXPECT_EQ(m_sys.CountIoctls(TIOCMGET), before + queries);
        std::vector<int> shown;
        for (const int id :
             {IDC_LINECTS, IDC_LINEDSR, IDC_LINEDCD, IDC_LINERI, IDC_LINEDTR, IDC_LINERTS}) {
            shown.push_back(m_host.IsButtonChecked(id));
        }
        shown.push_back(m_host.m_enabled[IDC_LINERTS]);
        return shown;
    }
    std::string Note() { return m_host.GetItemText(IDC_MODEMLINESNOTE); }

    testing::PseudoTerminal m_pty;
    testing::ScriptedSystemCalls m_sys;
    int m_lines = -1;  // what TIOCMGET says; -1: the terminal answers
    std::vector<std::pair<unsigned long, int>> m_changes;
};

TEST_F(ModemLinesTest, ReadOnceATickShownAndSetAtOnce) {
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", m_pty.SlavePath()));
    m_sys.onIoctl = [this](int, unsigned long request, void* bits) -> std::optional<int> {
        if (request == TIOCMGET && m_lines >= 0) {
            *static_cast<int*>(bits) = m_lines;
            return 0;
        }
        if (request != TIOCMBIS && request != TIOCMBIC) {
            return std::nullopt;
        }
        m_changes.emplace_back(request, *static_cast<int*>(bits));
        return m_changes.size() > 1 ? testing::Fail<int>(EIO) : std::optional<int>(0);
    };
    Start({}, PortEnvironment{.sys = &m_sys});
    m_app->m_portName = "COM5";
    Click(IDC_COMM);
    EXPECT_EQ(Tick(0), std::vector<int>(7, 0));  // Debug Mode off: the port is not asked
    SetCheck(IDC_DEBUGMODE, true);
    EXPECT_EQ(Tick(1), std::vector<int>(7, 0));
    EXPECT_EQ(Note(), "No modem lines on this port");

    m_lines = TIOCM_CTS | TIOCM_CAR | TIOCM_RNG | TIOCM_DTR;
    EXPECT_EQ(Tick(1), std::vector<int>({1, 0, 1, 1, 1, 0, 1}));
    EXPECT_EQ(Note(), "");
    SetCheck(IDC_LINERTS, true);
    SetCheck(IDC_LINEDTR, false);  // refused: undone and said
    const std::vector<std::pair<unsigned long, int>> changes = {{TIOCMBIS, TIOCM_RTS},
                                                                {TIOCMBIC, TIOCM_DTR}};
    EXPECT_EQ(m_changes, changes);
    EXPECT_EQ(m_host.IsButtonChecked(IDC_LINEDTR), 1);
    EXPECT_EQ(Note().rfind("DTR could not be dropped: ", 0), 0u);
    EXPECT_TRUE(m_host.m_messages.empty());

    Click(IDC_COMM);
    m_app->m_ioComm.m_handshake = HandshakeHardware;
    Click(IDC_COMM);
    m_lines = TIOCM_DSR | TIOCM_RTS;
    EXPECT_EQ(Tick(2), std::vector<int>({0, 1, 0, 0, 0, 1, 0}));  // the second is readiness
    EXPECT_EQ(Note(), "RTS follows the hardware handshake");
}

}  // namespace
}  // namespace kestrel
