#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CommandLineHelp.h"
#include "app/PortListing.h"
#include "platform/AsciiText.h"
#include "port/PortTestSupport.h"
#include "port/RememberedTcpText.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::FakeDeviceTree;
using testing::FakeSpooler;
using testing::ScratchFolder;

class PortListingTest : public ::testing::Test {
  protected:
    PortListingTest() : m_tree(m_folder.Path()) { m_folder.UseAsSettings(); }

    void RememberTcp(const std::string& text) {
        uint8_t value[kRememberedTcpSize]{};
        std::memcpy(value, text.data(), std::min(text.size(), sizeof value));
        auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::Create);
        ASSERT_TRUE(key && key->SetBinary("TCP", value, sizeof value));
    }

    std::optional<std::string> ListPorts(const std::vector<std::string>& args) {
        return InformationRequest(args, m_tree.Environment(nullptr, &m_spooler));
    }

    ScratchFolder m_folder;
    FakeDeviceTree m_tree;
    FakeSpooler m_spooler;
};

TEST_F(PortListingTest, SortedWithoutCaseEachNameOnce) {
    // "_" sorts before letters only when letters are folded to lower case.
    m_spooler.queues = {{"beta", "socket://10.0.0.2"},   {"Alpha", "socket://10.0.0.1"},
                        {"_spare", "socket://10.0.0.3"}, {"ALPHA", "socket://10.0.0.4"},
                        {"alpha2", "socket://10.0.0.5"}, {"FILE:", "socket://10.0.0.6"}};
    RememberTcp(" 10.0.0.25:9100 10.0.0.7:9100 10.0.0.25:9100");
    EXPECT_EQ(ListPorts({"--list-ports"}),
              "10.0.0.25:9100\n10.0.0.7:9100\n_spare\nAlpha\nalpha2\nbeta\n");
}

TEST_F(PortListingTest, APortFoundByTwoSourcesIsListedOnce) {
    const std::string usb = m_tree.AddUsbInterface("1-1", "0a7e", "2000", "00");
    m_tree.AddTty("ttyUSB0", usb + "/ttyUSB0");
    m_tree.MakeNode("ttyUSB0");
    IOComm port(SystemClock(), m_tree.Environment(nullptr, &m_spooler));
    EXPECT_EQ(OfferedPortNames(port), std::vector<std::string>{m_tree.Dev() + "/ttyUSB0"});
}

TEST_F(PortListingTest, OnlyTheFirstFiftyPositionsAreAsked) {
    // Queues Q59 down to Q00: the dialog takes the first fifty found, Q59 to Q10.
    for (int i = 59; i >= 0; --i) {
        char name[8];
        std::snprintf(name, sizeof name, "Q%02d", i);
        m_spooler.queues.push_back({name, "socket://10.0.0.1"});
    }
    IOComm port(SystemClock(), m_tree.Environment(nullptr, &m_spooler));
    const std::vector<std::string> names = OfferedPortNames(port);
    ASSERT_EQ(names.size(), 50u);
    EXPECT_EQ(names.front(), "Q10");
    EXPECT_EQ(names.back(), "Q59");
}

TEST_F(PortListingTest, NoPortsListsNothingAndStillAnswers) {
    EXPECT_EQ(ListPorts({"--list-ports"}), "");
    EXPECT_EQ(ListPorts({"list-ports", "-list-ports", "--LIST-PORTS"}), std::nullopt);
}

TEST_F(PortListingTest, TheFirstInformationArgumentDecides) {
    m_spooler.queues = {{"Vantor", "socket://10.0.0.25:9100"}};
    struct Case {
        std::vector<std::string> args;
        std::optional<std::string> answer;
    };
    const Case cases[] = {
        {{"ventrix", "--list-ports", "exit"}, "Vantor\n"},
        {{"--list-ports", "--version"}, "Vantor\n"},
        {{"--version", "--list-ports"}, "Kestrel Version 2.0.1.5\n"},
        {{"--help", "--list-ports"}, HelpText()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListPorts(c.args), c.answer) << c.args.front();
    }
}

TEST(SortedListOnce, KeepsTheFirstSpellingAndTheListOrder) {
    struct Case {
        std::vector<std::string> added;
        std::vector<std::string> list;
    };
    const Case cases[] = {
        {{"b", "a", "c"}, {"a", "b", "c"}},
        {{"COM1:", "com1:", "COM10:"}, {"COM10:", "COM1:"}},  // "0" sorts before ":"
        {{"lpt1", "LPT1", "Lpt1"}, {"lpt1"}},
        {{"Z", "a", "[x"}, {"[x", "a", "Z"}},  // "[" lies between "Z" and "a" in bytes
        {{"", "a"}, {"", "a"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> list;
        for (const std::string& text : c.added) {
            AddToSortedListOnce(list, text);
        }
        EXPECT_EQ(list, c.list) << c.added.front();
    }
    std::vector<std::string> list{"a"};
    EXPECT_FALSE(AddToSortedListOnce(list, "A"));
    EXPECT_TRUE(AddToSortedListOnce(list, "b"));
}

}  // namespace
}  // namespace kestrel
