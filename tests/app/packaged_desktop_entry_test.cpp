#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/DesktopEntry.h"

namespace kestrel {
namespace {

// The package's entry is the one "RegServer" writes for an installed kestrel, so the two
// cannot drift apart.
TEST(PackagedDesktopEntry, IsTheEntryRegServerWritesForTheInstalledProgram) {
    std::ifstream file(KESTREL_SOURCE_DIR "/packaging/kestrel.desktop", std::ios::binary);
    ASSERT_TRUE(file) << "packaging/kestrel.desktop is missing";
    std::ostringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), DesktopEntryText("kestrel"));
    EXPECT_NE(text.str().find("\nIcon=kestrel\n"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
