// The console's first run, persisted histories, mode chains, Debug Mode and the COMM button.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/ConsoleGroups.h"
#include "console/ControlIds.h"
#include "console/PortDialog.h"
#include "console/TimerIds.h"
#include "platform/AsciiText.h"
#include "status/PrinterMode.h"
#include "support/ConsoleTestFixture.h"

namespace kestrel {
namespace {

using testing::ConsoleTest;

using Items = std::vector<std::string>;

TEST_F(ConsoleTest, AFirstRunShowsTheDefaultsWithEveryGroupHidden) {
    Start();
    EXPECT_EQ(m_host.m_lists[IDC_CMDCOMBO], (Items{"[ESC]@", "[ESC][ENQ]1", "[ESC]V"}));
    EXPECT_EQ(m_host.m_lists[IDC_POLLCOMBO], (Items{"[GS]y"}));
    EXPECT_EQ(m_host.GetItemText(IDC_POLLINTERVAL), "600");
    EXPECT_EQ(m_host.GetItemText(IDC_REPEATINTERVAL), "20000");
    EXPECT_EQ(m_host.GetItemText(IDC_REPEATCOUNT), "99999");
    EXPECT_EQ(m_host.IsButtonChecked(IDC_TEXT), 1);
    EXPECT_EQ(m_app->m_hexDisplay, 0);
    EXPECT_FALSE(m_host.IsItemVisible(IDC_VENTRIXMODE));
    for (const int id : {1044, 1021, 1072, 1100, 1043, 1071}) {
        EXPECT_FALSE(m_host.IsItemVisible(id)) << id;
    }
    EXPECT_EQ(m_host.m_timers[TIMER_STATUS_READ], 50u);
    EXPECT_EQ(m_host.m_timers[TIMER_LOG_REFRESH], 100u);
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_CMDLINE_JOB));
    EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMM");
    EXPECT_EQ(m_host.m_systemMenu.back().second, "&About Kestrel...");
    EXPECT_EQ(m_priority.m_raises, 1);
    EXPECT_EQ(m_app->m_printerMode, static_cast<int>(PrinterMode::None));
}

TEST_F(ConsoleTest, OptionsShowVentrixModeAndSetTheFactoryPort) {
    Start({"fact"});
    EXPECT_TRUE(m_host.IsItemVisible(IDC_VENTRIXMODE));
    EXPECT_EQ(m_host.IsButtonChecked(IDC_SERIALPACKETMODE), 1);
    EXPECT_EQ(m_app->m_printerMode, static_cast<int>(PrinterMode::SerialPacket));
    EXPECT_EQ(m_app->m_portName, "COM1");
}

TEST_F(ConsoleTest, HistoriesCarryOverToTheNextRunNewestFirstAfterTheDefaults) {
    Start();
    for (const char* text : {"first", "second", "second", ""}) {
        m_host.SetItemText(IDC_CMDCOMBO, text);
        m_dlg->OnCommand(IDC_CMDCOMBO, kCbnKillFocus);
    }
    m_host.SetItemText(IDC_POLLCOMBO, "<0x02><0x12>");
    m_dlg->OnCommand(IDC_POLLCOMBO, kCbnKillFocus);
    EXPECT_EQ(m_host.m_lists[IDC_CMDCOMBO].front(), "second");  // inserted at the top
    End();

    m_host = testing::FakeDialogHost();
    m_host.m_logPane = &m_pane;
    Start();
    EXPECT_EQ(m_host.m_lists[IDC_CMDCOMBO],
              (Items{"[ESC]@", "[ESC][ENQ]1", "[ESC]V", "second", "first"}));
    EXPECT_EQ(m_host.m_lists[IDC_POLLCOMBO], (Items{"[GS]y", "<0x02><0x12>"}));
}

// Stored values that are damaged, cut short, oversized or of another type: each history entry
// ends at its first NUL or after 254 characters, and nothing is read past what is stored.
TEST_F(ConsoleTest, DamagedStoredHistoriesReadSafely) {
    struct Case {
        std::string stored;
        size_t expectedItems;
        size_t firstLength;
    };
    const std::vector<Case> cases = {
        {std::string(7680, 'A'), 30, 254},           // no terminator anywhere
        {std::string(100, 'B'), 1, 100},             // cut short: entry 0 only
        {std::string(8000, 'C'), 3, 6},              // oversized: defaults
        {std::string("\x01\x02\x03\x04", 4), 1, 4},  // a DWORD's bytes
    };
    for (const Case& test : cases) {
        {
            auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::Create);
            ASSERT_TRUE(key);
            key->SetBinary("CmdSave", test.stored.data(), test.stored.size());
            key->SetString("CommDataFilePathName", std::string(400, 'p').c_str(), 400);
        }
        m_host = testing::FakeDialogHost();
        Start();
        const Items& items = m_host.m_lists[IDC_CMDCOMBO];
        ASSERT_EQ(items.size(), test.expectedItems) << test.stored.size();
        EXPECT_EQ(items.front().size(), test.firstLength);
        EXPECT_NE(m_dlg->m_commDataPath.find("Norvane/Kestrel/KestrelCommData.rtf"),
                  std::string::npos);
        End();
    }
}

struct ModeCase {
    const char* name;
    std::vector<int> clicks;  // boxes checked by the operator in turn
    int mode;
    const char* pollText;
    bool smartShown;
    bool ventrixShown;
};

class ModeChainTest : public ConsoleTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeChainTest, LeavesOneModeCheckedWithItsGroupsAndPollCommand) {
    Start({"ventrix"});
    const ModeCase& test = GetParam();
    for (const int box : test.clicks) {
        SetCheck(box, true);
    }
    const int last = test.clicks.back();
    for (const int box : {IDC_SMARTMODE, IDC_NORMALMODE, IDC_VENTRIXMODE, IDC_SERIALPACKETMODE}) {
        EXPECT_EQ(m_host.IsButtonChecked(box), box == last ? 1 : 0) << box;
    }
    EXPECT_EQ(m_app->m_printerMode, test.mode);
    EXPECT_EQ(m_host.GetItemText(IDC_POLLCOMBO), test.pollText);
    for (const int id : kSmartGroup) {
        EXPECT_EQ(m_host.IsItemVisible(id), test.smartShown) << id;
    }
    for (const int id : kVentrixGroup) {
        EXPECT_EQ(m_host.IsItemVisible(id), test.ventrixShown) << id;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ModeChainTest,
    ::testing::Values(
        ModeCase{"Smart", {IDC_SMARTMODE}, 1, "[gs]~SS<0x81>", true, false},
        ModeCase{
            "VentrixAfterSmart", {IDC_SMARTMODE, IDC_VENTRIXMODE}, 3, "<0x02><0x00>", false, true},
        ModeCase{"SerialPacketKeepsSmartGroup",
                 {IDC_SMARTMODE, IDC_SERIALPACKETMODE},
                 4,
                 "[gs]~SS<0x81>",
                 true,
                 false},
        ModeCase{"NormalAfterVentrix",
                 {IDC_VENTRIXMODE, IDC_NORMALMODE},
                 2,
                 "<0x02><0x00>",
                 false,
                 false},
        ModeCase{"SerialPacketHidesVentrix",
                 {IDC_VENTRIXMODE, IDC_SERIALPACKETMODE},
                 4,
                 "[gs]~SS<0x81>",
                 false,
                 false}),
    [](const ::testing::TestParamInfo<ModeCase>& param) { return param.param.name; });

TEST_F(ConsoleTest, UncheckingVentrixHidesItsGroupButKeepsTheMode) {
    Start({"ventrix"});
    SetCheck(IDC_VENTRIXMODE, true);
    SetCheck(IDC_VENTRIXMODE, false);
    EXPECT_FALSE(m_host.IsItemVisible(IDC_VENTRIXGROUP));
    EXPECT_EQ(m_app->m_printerMode, static_cast<int>(PrinterMode::Ventrix));
}

TEST_F(ConsoleTest, DebugModeTwiceRestoresAllItsControls) {
    Start();
    SetCheck(IDC_DEBUGMODE, true);
    for (const int id : kDebugGroup) {
        EXPECT_TRUE(m_host.IsItemVisible(id) && m_host.m_enabled[id]) << id;
    }
    EXPECT_TRUE(m_pane.m_enabled);
    EXPECT_EQ(m_host.m_menuItems[ID_SENDBINARYFILE], "Send Binary File...");
    SetCheck(IDC_DEBUGMODE, false);
    for (const int id : kDebugGroup) {
        EXPECT_FALSE(m_host.IsItemVisible(id) || m_host.m_enabled[id]) << id;
    }
    EXPECT_FALSE(m_pane.m_enabled);
    EXPECT_EQ(m_host.m_menuItems[ID_SENDBINARYFILE], "");
    m_host.m_drawn.clear();
    m_dlg->OnPaint();
    EXPECT_EQ(m_host.m_drawn.size(), 2u);  // both picture areas while Debug Mode is off
}

TEST_F(ConsoleTest, CommOpensThroughACancelledDialogAndClosesWithoutOne) {
    StartSimulator();
    Start();
    m_app->m_portName = m_sim->TcpAddress();
    Click(IDC_COMM);
    EXPECT_EQ(m_host.m_dialogsRun, (std::vector<int>{IDD_PORTDIALOG}));
    ASSERT_TRUE(m_dlg->m_portOpen) << m_app->m_ioComm.m_lastError;
    EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMMCLOSE");
    EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE1), "Port identity is: " + m_sim->TcpAddress());
    Click(IDC_COMM);
    EXPECT_FALSE(m_dlg->m_portOpen);
    EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMM");
    EXPECT_EQ(m_host.m_dialogsRun.size(), 1u);
    EXPECT_TRUE(m_host.m_messages.empty());
}

TEST_F(ConsoleTest, ARefusedPortSaysSoAndStaysClosed) {
    Start();
    m_app->m_portName = std::string(10000, 'x') + "COM\xe9";  // not a port, far too long
    Click(IDC_COMM);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].text.rfind(
                  "Cannot communicate with the printer.  Please check printer connection.\r\n"
                  "IOComm::Open() failed, GetLastError() returned: 36",  // the name is too long
                  0),
              0u);
    EXPECT_EQ(m_host.m_messages[0].caption, "Error");
    EXPECT_FALSE(m_dlg->m_portOpen);
    EXPECT_EQ(m_host.m_buttonImages[IDC_COMM], "COMM");
    EXPECT_EQ(m_host.GetItemText(IDC_INFOLINE1).size(), kPortIdentityBufferSize - 1);
}

TEST_F(ConsoleTest, ThePortDialogOffersNamesOnceAndOkOpensTheTypedName) {
    StartSimulator();
    Start();
    m_host.m_insideDialog = [&](int, testing::FakeDialogHost& dialog, DialogEvents& events) {
        dialog.SetItemText(IDC_PORTCOMBO, m_sim->TcpAddress());
        events.OnCommand(kIdOk, kBnClicked);
    };
    Click(IDC_COMM);
    EXPECT_EQ(m_app->m_portName, m_sim->TcpAddress());
    EXPECT_TRUE(m_dlg->m_portOpen);
    const Items& offered = m_host.m_dialogHosts[IDD_PORTDIALOG].m_lists[IDC_PORTCOMBO];
    for (size_t i = 0; i < offered.size(); ++i) {
        for (size_t j = i + 1; j < offered.size(); ++j) {
            EXPECT_FALSE(EqualsNoCase(offered[i], offered[j])) << offered[i];
        }
    }
    EXPECT_EQ(m_host.m_dialogHosts[IDD_PORTDIALOG].m_enabled[kIdCancel], false);
}

TEST_F(ConsoleTest, SerialSetupRefusesOtherNamesWithAMessageThatFits) {
    Start();
    m_host.m_insideDialog = [&](int, testing::FakeDialogHost& dialog, DialogEvents& events) {
        dialog.SetItemText(IDC_PORTCOMBO, std::string(300, 'n'));
        events.OnCommand(IDC_SETUPSERIAL, kBnClicked);
    };
    Click(IDC_COMM);
    const auto& messages = m_host.m_dialogHosts[IDD_PORTDIALOG].m_messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind("Serial setting not applicable to: nnn", 0), 0u);
    EXPECT_EQ(messages[0].text.size(), kSerialMessageBufferSize - 1);
}

}  // namespace
}  // namespace kestrel
