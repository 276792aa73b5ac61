// What an ordinary user reads when a serial port refuses them: the system's own message, then
// the port's reason on a line of its own, in the message box and in Kestrel.log, naming who may
// open the terminal and, where the group may, how to join it.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/ConsoleTexts.h"
#include "console/ControlIds.h"
#include "support/ConsoleTestFixture.h"
#include "support/FileBytes.h"
#include "support/PseudoTerminal.h"
#include "support/Unprivileged.h"

namespace kestrel {
namespace {

struct RefusedTerminal {
    const char* name;
    mode_t mode;
    const char* group;  // null: the group the terminal has
    const char* reasonEnd;
};

class PortFailureReason : public testing::ConsoleTest,
                          public ::testing::WithParamInterface<RefusedTerminal> {};

TEST_P(PortFailureReason, FollowsTheMessageOnItsOwnLine) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can open the terminal as another user";
    }
    const RefusedTerminal& c = GetParam();
    testing::PseudoTerminal pty;
    ASSERT_TRUE(pty.Ok());
    const std::string& path = pty.SlavePath();
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    if (c.group != nullptr) {
        const group* entry = getgrnam(c.group);
        ASSERT_NE(entry, nullptr) << c.group;
        ASSERT_EQ(chown(path.c_str(), 0, entry->gr_gid), 0);
    }
    Start();
    m_app->m_portName = path;
    const std::string box = m_folder.File("box.txt");
    const int result = testing::RunUnprivileged(m_folder.Path(), [&] {
        Click(IDC_COMM);
        testing::WriteFileBytes(box,
                                m_host.m_messages.empty() ? "" : m_host.m_messages.back().text);
        return m_dlg->m_portOpen ? 1 : 0;
    });
    ASSERT_EQ(result, 0);
    const std::string expected =
        std::string(kCannotCommunicateText) +
        "\r\nIOComm::Open() failed, GetLastError() returned: 13 (access to " + path +
        " was refused" + c.reasonEnd;
    EXPECT_EQ(testing::ReadFileBytes(box), expected);
    EXPECT_NE(AppLog().find(expected), std::string::npos) << AppLog();
}

INSTANTIATE_TEST_SUITE_P(
    Terminals, PortFailureReason,
    ::testing::Values(RefusedTerminal{"OwnerOnly", 0600, nullptr,
                                      "; only its owner, root, may open it (mode 600))"},
                      RefusedTerminal{
                          "GroupWithoutTheUser", 0660, "dialout",
                          "; it belongs to group dialout, of which this user is not a member; join "
                          "it with \"sudo usermod -a -G dialout nobody\", then log out and in "
                          "again)"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kestrel
