// The console's ways out (Close, Escape, Exit), the help page and the About box.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "console/CAboutDlg.h"
#include "console/CommDataPath.h"
#include "console/ControlIds.h"
#include "support/ConsoleTestFixture.h"

namespace kestrel {
namespace {

using testing::ConsoleTest;

struct WayOut {
    const char* name;
    std::function<void(CKestrelDlg&)> take;
    int result;
};

const WayOut kWaysOut[] = {
    {"Close", [](CKestrelDlg& dlg) { dlg.OnClose(); }, kIdCancel},
    {"Escape", [](CKestrelDlg& dlg) { dlg.OnCancel(); }, kIdCancel},
    {"Exit", [](CKestrelDlg& dlg) { dlg.OnCommand(IDC_EXITIMAGE, kBnClicked); }, kIdOk},
};

class ConsoleExitTest : public ConsoleTest {};

TEST_F(ConsoleExitTest, EveryWayOutSavesTheLogOnceAndEnds) {
    for (const WayOut& way : kWaysOut) {
        SCOPED_TRACE(way.name);
        m_pane.m_savedPaths.clear();
        m_host.m_endResult.reset();
        m_host.m_messages.clear();
        Start();
        way.take(*m_dlg);
        // A second request while the console ends (the close box after Exit, say) does nothing.
        for (const WayOut& again : kWaysOut) {
            again.take(*m_dlg);
        }
        EXPECT_EQ(m_pane.m_savedPaths, std::vector<std::string>{m_dlg->m_commDataPath});
        EXPECT_EQ(m_host.m_endResult, way.result);
        EXPECT_TRUE(m_host.m_messages.empty());
        End();
        EXPECT_TRUE(HasSetting("CmdSave"));
    }
}

TEST_F(ConsoleExitTest, AFailedSaveIsReportedWithItsErrorAndTheConsoleEndsAnyway) {
    struct Case {
        int error;
        const char* message;
    };
    const Case cases[] = {
        {EACCES, "Error: 13 on saving log file."},
        {ENOSPC, "Error: 28 on saving log file."},
        {0, "Possible access error on saving to log file."},
    };
    for (const WayOut& way : kWaysOut) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(way.name) + " " + c.message);
            m_host.m_messages.clear();
            m_host.m_endResult.reset();
            m_pane.m_failWithErrno = c.error;
            Start();
            way.take(*m_dlg);
            ASSERT_EQ(m_host.m_messages.size(), 1u);
            EXPECT_EQ(m_host.m_messages[0].text, c.message);
            EXPECT_EQ(m_host.m_messages[0].caption, "Kestrel");
            EXPECT_EQ(m_host.m_endResult, way.result);
            End();
            EXPECT_TRUE(HasSetting("CmdSave"));
        }
    }
}

TEST_F(ConsoleExitTest, AWayOutTakenDuringTheErrorMessageDoesNotSaveAgain) {
    m_pane.m_failWithErrno = EIO;
    Start();
    m_host.m_insideMessageBox = [&] {
        m_dlg->OnClose();
        m_dlg->OnCommand(IDC_EXITIMAGE, kBnClicked);
    };
    m_dlg->OnCancel();
    EXPECT_EQ(m_pane.m_savedPaths.size(), 1u);
    EXPECT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_endCalls, 1);
    EXPECT_EQ(m_host.m_endResult, kIdCancel);
}

TEST_F(ConsoleExitTest, TheDefaultCommDataFolderIsMadeWhenMissing) {
    Start();
    const std::string expected = m_folder.File("data/Norvane/Kestrel/KestrelCommData.rtf");
    ASSERT_EQ(m_dlg->m_commDataPath, expected);
    ASSERT_FALSE(std::filesystem::exists(m_folder.File("data")));
    m_dlg->OnClose();
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(expected));
    End();
    EXPECT_EQ(SettingText("CommDataFilePathName"), expected);
}

TEST_F(ConsoleExitTest, AChosenFolderThatHasGoneIsNotMadeAgain) {
    const std::string chosen = m_folder.File("chosen/log.rtf");
    Settings()->SetString("CommDataFilePathName", chosen.c_str(), chosen.size() + 1);
    Start();
    ASSERT_EQ(m_dlg->m_commDataPath, chosen);
    m_dlg->OnCommand(IDC_EXITIMAGE, kBnClicked);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(m_host.m_messages[0].text,
              "Error: " + std::to_string(ENOENT) + " on saving log file.");
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("chosen")));
    EXPECT_EQ(m_host.m_endResult, kIdOk);
}

TEST_F(ConsoleExitTest, OnlyTheDefaultPathCountsAsDefault) {
    const std::string defaultPath = DefaultCommDataPath();
    EXPECT_EQ(defaultPath, m_folder.File("data/Norvane/Kestrel/KestrelCommData.rtf"));
    PrepareCommDataFolder(m_folder.File("data/Norvane/Other/KestrelCommData.rtf"));
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("data")));
    PrepareCommDataFolder(defaultPath);
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.File("data/Norvane/Kestrel")));
}

TEST_F(ConsoleExitTest, AWayOutDuringASendWaitsForTheSendToEnd) {
    for (const WayOut& way : kWaysOut) {
        SCOPED_TRACE(way.name);
        m_pane.m_savedPaths.clear();
        m_host.m_endResult.reset();
        Start();
        m_dlg->m_sending = true;
        way.take(*m_dlg);
        EXPECT_TRUE(m_pane.m_savedPaths.empty());
        EXPECT_FALSE(m_host.m_endResult.has_value());
        m_dlg->EndSending();
        EXPECT_FALSE(m_dlg->m_sending);
        EXPECT_EQ(m_pane.m_savedPaths.size(), 1u);
        EXPECT_EQ(m_host.m_endResult, way.result);
        End();
    }
}

TEST_F(ConsoleExitTest, ASendEndingWithoutAWayOutLeavesTheConsoleOpen) {
    Start();
    m_dlg->m_sending = true;
    m_dlg->EndSending();
    EXPECT_TRUE(m_pane.m_savedPaths.empty());
    EXPECT_FALSE(m_host.m_endResult.has_value());
}

// Folder names that a page address must carry unchanged to the host.
TEST_F(ConsoleExitTest, StatusOpensTheHelpPageOfTheCurrentFolder) {
    Start();
    for (const char* name : {"plain", "with spaces", "hash#and%percent", "caf\xc3\xa9"}) {
        const std::string folder = m_folder.File(name);
        std::filesystem::create_directory(folder);
        ASSERT_EQ(chdir(folder.c_str()), 0);
        m_host.m_pagesOpened.clear();
        m_dlg->OnCommand(IDC_STATUS, kBnClicked);
        EXPECT_EQ(m_host.m_pagesOpened, std::vector<std::string>{folder + "/Kestrel.html"});
    }
    EXPECT_TRUE(m_host.m_messages.empty());
}

TEST_F(ConsoleExitTest, StatusInADeletedFolderOpensNothing) {
    Start();
    const std::string folder = m_folder.File("gone");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    std::filesystem::remove(folder);
    m_dlg->OnCommand(IDC_STATUS, kBnClicked);
    EXPECT_TRUE(m_host.m_pagesOpened.empty());
    EXPECT_TRUE(m_host.m_messages.empty());
}

TEST_F(ConsoleExitTest, StatusInTheRootFolderHasNoDoubleSlash) {
    Start();
    ASSERT_EQ(chdir("/"), 0);
    m_dlg->OnCommand(IDC_STATUS, kBnClicked);
    EXPECT_EQ(m_host.m_pagesOpened, std::vector<std::string>{"/Kestrel.html"});
}

TEST_F(ConsoleExitTest, TheAboutCommandOpensTheAboutBoxAndOtherCommandsPassOn) {
    struct Case {
        unsigned command;
        bool about;
    };
    const Case cases[] = {
        {0x0010, true},  {0x0013, true},  {0x001F, true},  {0x0020, false},
        {0xF060, false}, {0xF020, false}, {0x0000, false}, {0xF010, false},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        m_host.m_dialogsRun.clear();
        EXPECT_EQ(m_dlg->OnSysCommand(c.command), c.about);
        EXPECT_EQ(m_host.m_dialogsRun,
                  c.about ? std::vector<int>{IDD_ABOUTBOX} : std::vector<int>{});
    }
    EXPECT_FALSE(m_host.m_endResult.has_value());
}

TEST_F(ConsoleExitTest, TheAboutMenuItemFollowsASeparator) {
    Start();
    ASSERT_GE(m_host.m_systemMenu.size(), 2u);
    const auto& last = m_host.m_systemMenu.back();
    EXPECT_EQ(last.first, 16u);
    EXPECT_EQ(last.second, "&About Kestrel...");
    EXPECT_EQ(m_host.m_systemMenu[m_host.m_systemMenu.size() - 2].second, "");
}

TEST_F(ConsoleExitTest, OkEndsTheAboutBox) {
    Start();
    m_host.m_insideDialog = [](int, testing::FakeDialogHost& inner, DialogEvents& events) {
        events.OnCommand(kIdOk, kBnClicked);
        EXPECT_EQ(inner.m_endResult, kIdOk);
    };
    m_dlg->OnSysCommand(kIdmAboutBox);
    EXPECT_EQ(m_host.m_dialogHosts[IDD_ABOUTBOX].m_endResult, kIdOk);
    EXPECT_FALSE(m_host.m_endResult.has_value());
}

}  // namespace
}  // namespace kestrel
