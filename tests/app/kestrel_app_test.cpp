#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "app/AppTestFixture.h"
#include "app/DesktopEntry.h"
#include "support/FakeCommLogPane.h"
#include "support/FakeDialogHost.h"

namespace kestrel {
namespace {

using testing::FakeDialogHost;

class KestrelAppTest : public testing::AppTest {
  protected:
    std::string StoredPortName(SettingsValueType* type = nullptr) {
        char buffer[512] = {};
        size_t size = 0;
        if (!Settings()->Query("PortName", buffer, sizeof buffer, &size, type)) {
            return "<missing>";
        }
        return std::string(buffer, size);
    }
    std::string Entry(const std::string& text) {
        return "\n" + m_clock.m_localTime + "\n" + text + "\n\n";
    }
};

TEST_F(KestrelAppTest, ConstructionDefaults) {
    auto app = App();
    EXPECT_EQ(app->m_portName, "COM1:");
    EXPECT_EQ(app->m_hexDisplay, 1);
    EXPECT_EQ(app->m_printerMode, 0);
    EXPECT_EQ(app->m_legacyPlatform, 0);
    EXPECT_EQ(app->m_messageOwner, nullptr);
    EXPECT_EQ(app->m_comServerStarted, 0);
    EXPECT_EQ(app->m_console, nullptr);
    EXPECT_EQ(app->m_capture.m_trafficCount, 0);
    EXPECT_EQ(m_clock.m_slept, 0u);
}

TEST_F(KestrelAppTest, PortNameComesFromTheSettingsAsStored) {
    struct Case {
        std::string stored;
        std::string expected;
    };
    const Case cases[] = {
        {"COM7", "COM7"},  // stored without a terminator
        {std::string("LPT2:\0", 6), "LPT2:"},
        {std::string("AB\0CD", 5), "AB"},
        {std::string(222, 'p'), std::string(222, 'p')},
        {std::string(223, 'p'), "COM1:"},  // longer than the 222-byte buffer: not read
        {"", "COM1:"},                     // empty: the default stays
        {std::string("\0\0", 2), "COM1:"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Settings()->SetString("PortName", c.stored.data(), c.stored.size()));
        auto app = App();
        EXPECT_EQ(app->m_portName, c.expected) << c.stored.size();
        app->m_portName = c.expected;
    }
}

TEST_F(KestrelAppTest, DestructionWaitsAndSavesThePortNameWithoutTerminator) {
    {
        auto app = App();
        app->m_portName = "USB001";
        m_clock.m_slept = 0;
    }
    EXPECT_EQ(m_clock.m_slept, 600u);
    SettingsValueType type = SettingsValueType::Binary;
    EXPECT_EQ(StoredPortName(&type), "USB001");
    EXPECT_EQ(type, SettingsValueType::String);
}

TEST_F(KestrelAppTest, PortOptionIsSavedAndUsedByTheNextStart) {
    App({"/port:COM3"}).reset();
    EXPECT_EQ(StoredPortName(), "COM3");
    EXPECT_EQ(App()->m_portName, "COM3");
}

TEST_F(KestrelAppTest, UnwritableSettingsLeaveTheDefaultsAndSayNothing) {
    setenv("KESTREL_SETTINGS", "/proc/kestrel-none/IOCommKestrel.reg", 1);
    FakeDialogHost host;
    {
        auto app = App({"port:COM9"});
        app->m_messageOwner = &host;
        EXPECT_EQ(app->m_portName, "COM9");
        app->InitInstance();
        app->ExitInstance();
    }
    EXPECT_TRUE(host.m_messages.empty());
    EXPECT_EQ(ReadFile("Kestrel.log").find("Message"), std::string::npos);
}

TEST_F(KestrelAppTest, ShowMessageLogsTwiceAndAsksTheOwner) {
    FakeDialogHost host;
    host.m_messageReplies.push_back(kIdCancel);
    auto app = App();
    app->m_messageOwner = &host;
    std::filesystem::remove(m_folder.File("Kestrel.log"));
    EXPECT_EQ(app->ShowMessage("Paper out"), kIdCancel);
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_EQ(host.m_messages[0].text, "Paper out");
    EXPECT_EQ(host.m_messages[0].caption, "Message");
    EXPECT_EQ(host.m_messages[0].style, kMbOk);
    EXPECT_EQ(ReadFile("Kestrel.log"),
              Entry("Message: \nPaper out") + Entry("Status Message: \nPaper out"));
}

TEST_F(KestrelAppTest, ShowMessageWithoutAWindowOnlyLogs) {
    auto app = App();
    std::filesystem::remove(m_folder.File("Kestrel.log"));
    EXPECT_EQ(app->ShowMessage("No window"), kIdOk);
    EXPECT_EQ(app->ShowStatusMessage("Status only"), 1);
    EXPECT_EQ(ReadFile("Kestrel.log"), Entry("Message: \nNo window") +
                                           Entry("Status Message: \nNo window") +
                                           Entry("Status Message: \nStatus only"));
}

TEST_F(KestrelAppTest, RenderCommLogDrawsTheCaptureIntoThePane) {
    testing::FakeCommLogPane pane;
    auto app = App();
    app->m_commLogPane = &pane;
    // The byte's cell must come from the capture, not from the document's header or tables.
    EXPECT_EQ(app->RenderCommLog(1), 1);
    EXPECT_EQ(pane.m_document.find("A7"), std::string::npos);
    app->m_capture.Record(0xA7, 1000, TrafficSent);
    EXPECT_EQ(app->RenderCommLog(1), 1);
    EXPECT_EQ(pane.m_documentsSet, 2);
    EXPECT_NE(pane.m_document.find("A7"), std::string::npos);
}

class RegistrationTest : public testing::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        const char* old = std::getenv("XDG_DATA_HOME");
        m_oldDataHome = old != nullptr ? old : "";
        m_hadDataHome = old != nullptr;
        setenv("XDG_DATA_HOME", m_folder.File("data").c_str(), 1);
    }
    void TearDown() override {
        if (m_hadDataHome) {
            setenv("XDG_DATA_HOME", m_oldDataHome.c_str(), 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
    }
    bool EntryExists() {
        return std::filesystem::exists(m_folder.File("data/applications/kestrel.desktop"));
    }
    std::string m_oldDataHome;
    bool m_hadDataHome = false;
};

TEST_F(RegistrationTest, RegServerInstallsAndUnregServerRemovesTheDesktopEntry) {
    auto app = App({"/RegServer"});
    EXPECT_FALSE(app->InitInstance());
    EXPECT_TRUE(app->m_endedByRegistration);
    EXPECT_EQ(app->m_comServerStarted, 0);
    ASSERT_TRUE(EntryExists());
    const std::string entry = ReadFile("data/applications/kestrel.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nName=Kestrel\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=/"), std::string::npos);

    app = App({"-unregserver"});
    app->InitInstance();
    EXPECT_TRUE(app->m_endedByRegistration);
    EXPECT_FALSE(EntryExists());
    app = App({"/UnregServer"});  // already gone: still ends quietly
    app->InitInstance();
    EXPECT_TRUE(app->m_endedByRegistration);
}

TEST_F(RegistrationTest, SwitchFollowedByMoreTextIsNotRegistration) {
    auto app = App({"/RegServer", "s"});
    EXPECT_FALSE(app->InitInstance());
    EXPECT_FALSE(app->m_endedByRegistration);
    EXPECT_EQ(app->m_comServerStarted, 1);
    EXPECT_EQ(app->ExitInstance(), 0);
    EXPECT_EQ(app->m_comServerStarted, 0);
    EXPECT_FALSE(EntryExists());
}

TEST(FindRegistrationSwitch, WholeRestOfTheLineAfterASwitchCharacter) {
    EXPECT_EQ(FindRegistrationSwitch("/RegServer"), RegistrationSwitch::Register);
    EXPECT_EQ(FindRegistrationSwitch("-REGSERVER"), RegistrationSwitch::Register);
    EXPECT_EQ(FindRegistrationSwitch("s /regserver"), RegistrationSwitch::Register);
    EXPECT_EQ(FindRegistrationSwitch("file:a -UnregServer"), RegistrationSwitch::Unregister);
    EXPECT_EQ(FindRegistrationSwitch("/UnregServer"), RegistrationSwitch::Unregister);
    EXPECT_EQ(FindRegistrationSwitch("RegServer"), RegistrationSwitch::None);
    EXPECT_EQ(FindRegistrationSwitch("/RegServer x"), RegistrationSwitch::None);
    EXPECT_EQ(FindRegistrationSwitch("/RegServer "), RegistrationSwitch::None);
    EXPECT_EQ(FindRegistrationSwitch("/Reg"), RegistrationSwitch::None);
    EXPECT_EQ(FindRegistrationSwitch(""), RegistrationSwitch::None);
    // Only where an argument begins with the switch: never inside a path.
    EXPECT_EQ(FindRegistrationSwitch("file:/tmp/x/RegServer"), RegistrationSwitch::None);
    EXPECT_EQ(FindRegistrationSwitch("file:/tmp/x/UnregServer"), RegistrationSwitch::None);
    EXPECT_EQ(FindRegistrationSwitch("file:/tmp/x-RegServer"), RegistrationSwitch::None);
    EXPECT_EQ(FindRegistrationSwitch("file:/tmp/x /RegServer"), RegistrationSwitch::Register);
    EXPECT_EQ(FindRegistrationSwitch(std::string(10000, '/')), RegistrationSwitch::None);
}

TEST(DesktopEntryText, ExecIsQuotedWhereThePathNeedsIt) {
    EXPECT_NE(DesktopEntryText("/usr/bin/kestrel").find("\nExec=/usr/bin/kestrel\n"),
              std::string::npos);
    EXPECT_NE(
        DesktopEntryText("/opt/my apps/kes$trel").find("\nExec=\"/opt/my apps/kes\\\\$trel\"\n"),
        std::string::npos);
}

}  // namespace
}  // namespace kestrel
