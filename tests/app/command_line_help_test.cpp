#include "app/CommandLineHelp.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(CommandLineHelp, VersionAndHelpAreAnsweredBeforeAnythingElse) {
    EXPECT_EQ(InformationRequest({"--version"}), "Kestrel Version 2.0.1.5\n");
    EXPECT_EQ(InformationRequest({"s", "--version"}), "Kestrel Version 2.0.1.5\n");
    for (const char* ask : {"--help", "-h", "-?", "/?"}) {
        EXPECT_EQ(InformationRequest({ask}), HelpText()) << ask;
    }
    EXPECT_EQ(InformationRequest({}), std::nullopt);
    EXPECT_EQ(InformationRequest({"/port:COM3", "-help", "version", ""}), std::nullopt);
}

TEST(CommandLineHelp, ListsEveryOption) {
    const std::string help = HelpText();
    for (const char* option : {"ventrix", "fact", "  s ", "file:<path>", "port:<name>",
                               "portsetup:<settings>", "handshake:<none|xon|hardware>", "exit",
                               "RegServer", "UnregServer", "--help", "--version", "--list-ports"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(help.rfind("Usage: kestrel", 0), 0u);
}

}  // namespace
}  // namespace kestrel
