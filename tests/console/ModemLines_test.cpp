// The modem lines panel on a serial port that is a pseudo-terminal: it has no modem lines, so
// the lines an adapter would report come through the system-call seam; without them the
// terminal's own refusal is what the panel shows.
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

struct LinesCase {
    const char* name;
    int lines;  // what TIOCMGET says; -1: the terminal answers
    const char* handshake;
    std::vector<int> shown;  // CTS, DSR, DCD, RI, DTR, RTS, RTS enabled
    const char* note;
};

class ModemLinesTest : public testing::ConsoleTest,
                       public ::testing::WithParamInterface<LinesCase> {
  protected:
    // COM5, the terminal, opened in Debug Mode; line changes fail while m_refuse is set.
    void OpenTerminal(int lines, const std::string& handshake) {
        ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", m_pty.SlavePath()));
        m_sys.onIoctl = [=, this](int, unsigned long request, void* bits) -> std::optional<int> {
            if (request == TIOCMGET && lines >= 0) {
                *static_cast<int*>(bits) = lines;
                return 0;
            }
            if (request != TIOCMBIS && request != TIOCMBIC) {
                return std::nullopt;
            }
            m_changes.emplace_back(request, *static_cast<int*>(bits));
            return m_refuse ? testing::Fail<int>(EIO) : std::optional<int>(0);
        };
        Start({"handshake:" + handshake}, PortEnvironment{.sys = &m_sys});
        m_app->m_portName = "COM5";
        Click(IDC_COMM);
        SetCheck(IDC_DEBUGMODE, true);
    }

    testing::PseudoTerminal m_pty;
    testing::ScriptedSystemCalls m_sys;
    std::vector<std::pair<unsigned long, int>> m_changes;
    bool m_refuse = false;
};

// One query a read tick, shown in the lamps, the toggles and the note, never in a box.
TEST_P(ModemLinesTest, OnTheReadTick) {
    OpenTerminal(GetParam().lines, GetParam().handshake);
    const size_t before = m_sys.CountIoctls(TIOCMGET);
    m_dlg->OnTimer(TIMER_STATUS_READ);
    EXPECT_EQ(m_sys.CountIoctls(TIOCMGET), before + (GetParam().handshake[0] == 'n' ? 1 : 2));
    std::vector<int> shown;
    for (const int id :
         {IDC_LINECTS, IDC_LINEDSR, IDC_LINEDCD, IDC_LINERI, IDC_LINEDTR, IDC_LINERTS}) {
        shown.push_back(m_host.IsButtonChecked(id));
    }
    shown.push_back(m_host.m_enabled[IDC_LINERTS]);
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(m_host.GetItemText(IDC_MODEMLINESNOTE), GetParam().note);
    EXPECT_TRUE(m_host.m_messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Ports, ModemLinesTest,
                         ::testing::Values(LinesCase{"TerminalHasNone",
                                                     -1,
                                                     "none",
                                                     {0, 0, 0, 0, 0, 0, 0},
                                                     "No modem lines on this port"},
                                           LinesCase{"AdapterLines",
                                                     TIOCM_CTS | TIOCM_CAR | TIOCM_RNG | TIOCM_RTS,
                                                     "none",
                                                     {1, 0, 1, 1, 0, 1, 1},
                                                     ""},
                                           LinesCase{"HardwareHandshakeOwnsRts",
                                                     TIOCM_DSR | TIOCM_RTS | TIOCM_DTR,
                                                     "hardware",
                                                     {0, 1, 0, 0, 1, 1, 0},
                                                     "RTS follows the hardware handshake"}),
                         [](const auto& shown) { return std::string(shown.param.name); });

// The toggles set their line at once; a refused change is undone and said in the note. Debug
// Mode off asks the port nothing.
TEST_F(ModemLinesTest, TogglesSetTheirLineAtOnce) {
    OpenTerminal(TIOCM_DTR, "none");
    SetCheck(IDC_LINERTS, true);
    m_refuse = true;
    SetCheck(IDC_LINEDTR, false);
    const std::vector<std::pair<unsigned long, int>> expected = {{TIOCMBIS, TIOCM_RTS},
                                                                 {TIOCMBIC, TIOCM_DTR}};
    EXPECT_EQ(m_changes, expected);
    EXPECT_EQ(m_host.IsButtonChecked(IDC_LINEDTR), 1);
    EXPECT_EQ(m_host.GetItemText(IDC_MODEMLINESNOTE).rfind("DTR could not be dropped: ", 0), 0u);
    EXPECT_TRUE(m_host.m_messages.empty());

    SetCheck(IDC_DEBUGMODE, false);
    const size_t before = m_sys.CountIoctls(TIOCMGET);
    m_dlg->OnTimer(TIMER_STATUS_READ);
    EXPECT_EQ(m_sys.CountIoctls(TIOCMGET), before);
}

}  // namespace
}  // namespace kestrel
