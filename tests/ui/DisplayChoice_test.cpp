// Whether kestrel starts on the display, on the offscreen platform, or not at all.
#include "ui/DisplayChoice.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

struct DisplayCase {
    const char* name;
    std::vector<std::string> args;
    const char* display;
    const char* wayland;
    const char* platform;
    DisplayChoice expected;
};

class ChooseDisplayCases : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(ChooseDisplayCases, FollowTheEnvironmentAndTheUnattendedOptions) {
    const DisplayCase& c = GetParam();
    EXPECT_EQ(ChooseDisplay(c.args, c.display, c.wayland, c.platform), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChooseDisplayCases,
    ::testing::Values(
        DisplayCase{"x11", {}, ":0", nullptr, nullptr, DisplayChoice::Display},
        DisplayCase{"wayland", {"s"}, nullptr, "wayland-0", nullptr, DisplayChoice::Display},
        DisplayCase{"explicitPlatform", {}, nullptr, nullptr, "offscreen", DisplayChoice::Display},
        DisplayCase{"silent", {"s"}, nullptr, nullptr, nullptr, DisplayChoice::Offscreen},
        DisplayCase{"silentFlag", {"-S"}, "", "", "", DisplayChoice::Offscreen},
        DisplayCase{"fileJob",
                    {"port:COM1", "FILE:ticket.dmo"},
                    nullptr,
                    nullptr,
                    nullptr,
                    DisplayChoice::Offscreen},
        DisplayCase{"slashFile", {"/file:x"}, nullptr, nullptr, nullptr, DisplayChoice::Offscreen},
        DisplayCase{
            "register", {"/RegServer"}, nullptr, nullptr, nullptr, DisplayChoice::Offscreen},
        DisplayCase{"unregister",
                    {"port:COM2", "-unregserver"},
                    nullptr,
                    nullptr,
                    nullptr,
                    DisplayChoice::Offscreen},
        DisplayCase{"nothing", {}, nullptr, nullptr, nullptr, DisplayChoice::NoDisplay},
        DisplayCase{"otherOptions",
                    {"ventrix", "port:COM2", "fil"},
                    "",
                    nullptr,
                    nullptr,
                    DisplayChoice::NoDisplay},
        DisplayCase{"emptyArgument", {""}, nullptr, nullptr, nullptr, DisplayChoice::NoDisplay}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kestrel
