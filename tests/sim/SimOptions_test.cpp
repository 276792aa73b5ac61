#include "sim/SimOptions.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

bool Parse(std::vector<const char*> args, SimOptions& options, std::string& error) {
    args.insert(args.begin(), "vantor-sim");
    return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(SimOptionsTest, DefaultsServeVentrixOnTheUsualPort) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_EQ(options.tcpAddress, "127.0.0.1:9100");
    EXPECT_EQ(options.controlAddress, "127.0.0.1:0");
    EXPECT_TRUE(options.ptyPath.empty());
    EXPECT_EQ(options.printer.mode, PrinterMode::Ventrix);
    EXPECT_EQ(options.printer.phaseMilliseconds, 300u);
    EXPECT_EQ(options.printer.periodicMilliseconds, 0u);
    EXPECT_FALSE(options.verbose);
}

TEST(SimOptionsTest, EveryOptionIsTaken) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--tcp", "127.0.0.1:0", "--pty", "/tmp/v", "--control", "127.0.0.1:7",
                       "--mode", "smart", "--phase-ms", "20", "--periodic-ms", "500", "--fault",
                       "jam", "--fault", "bad-crc 2", "--record", "/tmp/r", "--verbose"},
                      options, error))
        << error;
    EXPECT_EQ(options.tcpAddress, "127.0.0.1:0");
    EXPECT_EQ(options.ptyPath, "/tmp/v");
    EXPECT_EQ(options.controlAddress, "127.0.0.1:7");
    EXPECT_EQ(options.printer.mode, PrinterMode::Smart);
    EXPECT_EQ(options.printer.phaseMilliseconds, 20u);
    EXPECT_EQ(options.printer.periodicMilliseconds, 500u);
    EXPECT_EQ(options.faults, (std::vector<std::string>{"jam", "bad-crc 2"}));
    EXPECT_EQ(options.recordPath, "/tmp/r");
    EXPECT_TRUE(options.verbose);
}

TEST(SimOptionsTest, BadValuesAreRefusedWithAMessage) {
    const std::vector<std::vector<const char*>> bad = {
        {"--mode", "laser"},
        {"--phase-ms", "-5"},
        {"--phase-ms", "fast"},
        {"--periodic-ms", "99999999"},
        {"--tcp"},
        {"--bogus"},
        {"-x"},
    };
    for (const auto& args : bad) {
        SimOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(SimOptionsTest, HelpDescribesTheRecordFormatAndTheControlCommands) {
    SimOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, options, error));
    EXPECT_TRUE(options.help);
    const std::string usage = SimUsage();
    for (const char* text : {"--tcp", "--pty", "--control", "--mode", "--phase-ms", "--periodic-ms",
                             "--fault", "--record", "--verbose", "<rx|tx>", "bad-crc N",
                             "drop-after N", "silence", "never-busy", "SIGTERM"}) {
        EXPECT_NE(usage.find(text), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace kestrel
