#include <gtest/gtest.h>

#include "app/AppTestFixture.h"
#include "app/CMyCommandLineInfo.h"

namespace kestrel {
namespace {

struct Options {
    int ventrix = 0;
    int fact = 0;
    int silent = 0;
    int exit = 0;
    std::string file;
    bool operator==(const Options&) const = default;
};

class CommandLineTest : public testing::AppTest {
  protected:
    Options ParseOne(const std::string& arg) {
        auto app = App({arg});
        return Options{app->m_ventrixOption, app->m_factOption, app->m_silentOption,
                       app->m_exitOption, app->m_cmdLineFile};
    }
};

TEST_F(CommandLineTest, NoArgumentsSetNothing) {
    auto app = App();
    EXPECT_EQ(app->m_ventrixOption, 0);
    EXPECT_EQ(app->m_factOption, 0);
    EXPECT_EQ(app->m_silentOption, 0);
    EXPECT_EQ(app->m_exitOption, 0);
    EXPECT_EQ(app->m_cmdLineFile, "");
    EXPECT_EQ(app->m_portName, "COM1:");
}

TEST_F(CommandLineTest, SilentByItsFirstLetter) {
    for (const char* arg : {"/S", "-sa", "silent", "somefile", "s"}) {
        EXPECT_EQ(ParseOne(arg), (Options{1, 0, 1, 0, ""})) << arg;
    }
}

TEST_F(CommandLineTest, ExitByItsFirstLetter) {
    for (const char* arg : {"/E", "exit", "everything", "-EXIT"}) {
        EXPECT_EQ(ParseOne(arg), (Options{1, 0, 0, 1, ""})) << arg;
    }
}

TEST_F(CommandLineTest, VentrixByFiveLettersAndFactByFour) {
    for (const char* arg : {"ventrix", "/VENTRIX", "-ventr", "ventrikel"}) {
        EXPECT_EQ(ParseOne(arg), (Options{1, 0, 0, 0, ""})) << arg;
    }
    for (const char* arg : {"fact", "/Factory", "-FACTS"}) {
        EXPECT_EQ(ParseOne(arg), (Options{1, 1, 0, 0, ""})) << arg;
    }
    // Too short for the letters compared: nothing.
    for (const char* arg : {"vent", "fac", "v", "f", "file", "port", "", "-", "/", "x", "--"}) {
        EXPECT_EQ(ParseOne(arg), Options{}) << arg;
    }
}

TEST_F(CommandLineTest, FileKeepsTheTextAsTyped) {
    EXPECT_EQ(ParseOne("file:C:\\demo\\Job.TXT"), (Options{0, 0, 0, 0, "C:\\demo\\Job.TXT"}));
    EXPECT_EQ(ParseOne("/FILE:/home/Op/Job Ticket.txt").file, "/home/Op/Job Ticket.txt");
    EXPECT_EQ(ParseOne("-file:").file, "");
}

TEST_F(CommandLineTest, PortReplacesThePortName) {
    EXPECT_EQ(App({"/port:COM3"})->m_portName, "COM3");
    EXPECT_EQ(App({"PORT:10.0.0.25:9100"})->m_portName, "10.0.0.25:9100");
    EXPECT_EQ(App({"port:"})->m_portName, "");
}

TEST_F(CommandLineTest, PortSetupAndHandshakeStartAtTheEleventhCharacter) {
    auto app = App({"portsetup:9600,n,8,1", "/HANDSHAKE=xon"});
    EXPECT_EQ(app->m_portSetupOption, "9600,n,8,1");
    EXPECT_EQ(app->m_handshakeOption, "xon");
    EXPECT_EQ(app->m_portName, "COM1:");  // "port:" does not catch "portsetup"
    EXPECT_EQ(app->m_silentOption, 0);

    // The tenth character is skipped whatever it is; nothing after it gives an empty value.
    app = App({"portsetupXbaud=9600", "handshake", "-handshake:"});
    EXPECT_EQ(app->m_portSetupOption, "baud=9600");
    EXPECT_EQ(app->m_handshakeOption, "");
}

TEST_F(CommandLineTest, FirstMatchingRowDecidesAndArgumentsRunInOrder) {
    auto app = App({"port:COM4", "file:a.txt", "port:COM5", "file:b.txt", "unknown"});
    EXPECT_EQ(app->m_portName, "COM5");
    EXPECT_EQ(app->m_cmdLineFile, "b.txt");
    // "s" and "e" come after the earlier rows: "sport:..." is silent, "exitfile:" is exit.
    app = App({"sport:COM9", "exitfile:x"});
    EXPECT_EQ(app->m_silentOption, 1);
    EXPECT_EQ(app->m_exitOption, 1);
    EXPECT_EQ(app->m_portName, "COM1:");
    EXPECT_EQ(app->m_cmdLineFile, "");
}

TEST_F(CommandLineTest, SwitchCharacterIsRemovedOnce) {
    EXPECT_EQ(ParseOne("//s"), Options{});  // "/s" after the first removal: no row
    EXPECT_EQ(ParseOne("-/exit"), Options{});
    auto app = App({"-port:/dev/ttyUSB0"});
    EXPECT_EQ(app->m_portName, "/dev/ttyUSB0");
}

TEST_F(CommandLineTest, OddArgumentsAreHarmless) {
    const std::string huge(10000, 'x');
    const std::string hugeFile = "file:" + std::string(10000, 'f');
    const std::string latin = "file:C:\\D\xe9mo\\\xfc\xff.txt";
    const std::string zero("port:CO\0M", 9);
    auto app = App({"", huge, hugeFile, latin, "\xc3\xa9t\xc3\xa9", zero, "handshake\xff\xfe"});
    EXPECT_EQ(app->m_cmdLineFile, latin.substr(5));
    EXPECT_EQ(app->m_portName, std::string("CO\0M", 4));
    EXPECT_EQ(app->m_handshakeOption, "\xfe");
    EXPECT_EQ(app->m_silentOption, 0);

    app = App({hugeFile});
    EXPECT_EQ(app->m_cmdLineFile.size(), 10000u);
}

TEST_F(CommandLineTest, SecondParseEndsWithTheSameValues) {
    auto app = App({"fact", "file:job.txt", "port:COM2", "handshake:hardware"});
    app->m_portName = "changed";
    app->InitInstance();  // parses again
    EXPECT_EQ(app->m_factOption, 1);
    EXPECT_EQ(app->m_cmdLineFile, "job.txt");
    EXPECT_EQ(app->m_portName, "COM2");
    EXPECT_EQ(app->m_handshakeOption, "hardware");
}

TEST_F(CommandLineTest, ParseParamDirectly) {
    auto app = App();
    CMyCommandLineInfo info(*app);
    info.ParseParam("Ventrix", false, true);
    EXPECT_EQ(app->m_ventrixOption, 1);
    info.ParseParam("exit", true, true);
    EXPECT_EQ(app->m_exitOption, 1);
}

}  // namespace
}  // namespace kestrel
