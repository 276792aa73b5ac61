// The modem lines panel on a serial port that is a pseudo-terminal: it has no modem lines of its
// own, so the lines a USB adapter would report are given through the system-call seam; without
// them, the terminal's own refusal is what the panel shows.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

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
    // The console on COM5 (the terminal) in Debug Mode; `lines` is what TIOCMGET reports, none
    // for the terminal's own answer. Settings and a refused line change come through `m_refuse`.
    void OpenTerminal(std::optional<int> lines, std::vector<std::string> args = {}) {
        ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", m_pty.SlavePath()));
        m_sys.onIoctl = [this, lines](int, unsigned long request,
                                      void* argument) -> std::optional<int> {
            if (request == TIOCMGET && lines) {
                *static_cast<int*>(argument) = *lines;
                return 0;
            }
            if (request == TIOCMBIS || request == TIOCMBIC) {
                m_changes.emplace_back(request, *static_cast<int*>(argument));
                return m_refuse ? testing::Fail<int>(EIO) : std::optional<int>(0);
            }
            return std::nullopt;
        };
        PortEnvironment environment;
        environment.sys = &m_sys;
        Start(std::move(args), environment);
        m_app->m_portName = "COM5";
        Click(IDC_COMM);
        ASSERT_TRUE(m_dlg->m_portOpen) << m_app->m_ioComm.m_lastError;
        SetCheck(IDC_DEBUGMODE, true);
    }
    std::vector<int> Lamps() {
        std::vector<int> lamps;
        for (const ModemLineLamp& lamp : kModemLineLamps) {
            lamps.push_back(m_host.IsButtonChecked(lamp.id));
        }
        return lamps;
    }

    testing::PseudoTerminal m_pty;
    testing::ScriptedSystemCalls m_sys;
    std::vector<std::pair<unsigned long, int>> m_changes;
    bool m_refuse = false;
};

struct LinesCase {
    const char* name;
    std::optional<int> lines;
    const char* handshake;
    std::vector<int> lamps;  // CTS, DSR, DCD, RI
    int dtr;
    int rts;
    bool rtsEnabled;
    const char* note;
};

class ModemLinesShown : public ModemLinesTest, public ::testing::WithParamInterface<LinesCase> {};

// One query a read tick, and what it says in the lamps, the toggles and the note.
TEST_P(ModemLinesShown, OnTheReadTick) {
    const LinesCase& c = GetParam();
    OpenTerminal(c.lines, {std::string("handshake:") + c.handshake});
    const size_t before = m_sys.CountIoctls(TIOCMGET);
    m_dlg->OnTimer(TIMER_STATUS_READ);
    if (std::string(c.handshake) == "none") {
        EXPECT_EQ(m_sys.CountIoctls(TIOCMGET), before + 1);
    }
    EXPECT_EQ(Lamps(), c.lamps);
    EXPECT_EQ(m_host.IsButtonChecked(IDC_LINEDTR), c.dtr);
    EXPECT_EQ(m_host.IsButtonChecked(IDC_LINERTS), c.rts);
    EXPECT_EQ(m_host.m_enabled[IDC_LINERTS], c.rtsEnabled);
    EXPECT_EQ(m_host.m_enabled[IDC_LINECTS], c.lines.has_value());
    EXPECT_EQ(m_host.GetItemText(IDC_MODEMLINESNOTE), c.note);
    EXPECT_TRUE(m_host.m_messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ports, ModemLinesShown,
    ::testing::Values(
        LinesCase{"TerminalHasNone",
                  std::nullopt,
                  "none",
                  {0, 0, 0, 0},
                  0,
                  0,
                  false,
                  "No modem lines on this port"},
        LinesCase{"AdapterLines",
                  TIOCM_CTS | TIOCM_CAR | TIOCM_DTR,
                  "none",
                  {1, 0, 1, 0},
                  1,
                  0,
                  true,
                  ""},
        LinesCase{
            "RingAndDsr", TIOCM_DSR | TIOCM_RNG | TIOCM_RTS, "none", {0, 1, 0, 1}, 0, 1, true, ""},
        LinesCase{"HardwareHandshakeOwnsRts",
                  TIOCM_DSR | TIOCM_RTS | TIOCM_DTR,
                  "hardware",
                  {0, 1, 0, 0},
                  1,
                  1,
                  false,
                  "RTS follows the hardware handshake"}),
    [](const auto& shown) { return std::string(shown.param.name); });

// The toggles set their line at once; a refused change is undone and said in the note, and
// Debug Mode off asks the port nothing.
TEST_F(ModemLinesTest, TogglesSetTheirLineAtOnce) {
    OpenTerminal(TIOCM_DTR);
    SetCheck(IDC_LINERTS, true);
    SetCheck(IDC_LINEDTR, false);
    const std::vector<std::pair<unsigned long, int>> expected = {{TIOCMBIS, TIOCM_RTS},
                                                                 {TIOCMBIC, TIOCM_DTR}};
    EXPECT_EQ(m_changes, expected);

    m_refuse = true;
    SetCheck(IDC_LINERTS, true);
    EXPECT_EQ(m_host.IsButtonChecked(IDC_LINERTS), 0);
    EXPECT_EQ(m_host.GetItemText(IDC_MODEMLINESNOTE).rfind("RTS could not be raised: ", 0), 0u);
    EXPECT_TRUE(m_host.m_messages.empty());

    SetCheck(IDC_DEBUGMODE, false);
    const size_t before = m_sys.CountIoctls(TIOCMGET);
    m_dlg->OnTimer(TIMER_STATUS_READ);
    EXPECT_EQ(m_sys.CountIoctls(TIOCMGET), before);
    EXPECT_FALSE(m_host.IsItemVisible(IDC_MODEMLINES));
}

}  // namespace
}  // namespace kestrel
