#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "app/AppLog.h"
#include "app/AppTestFixture.h"

namespace kestrel {
namespace {

class AppLogTest : public testing::AppTest {
  protected:
    uintmax_t Size(const std::string& name) {
        return std::filesystem::file_size(m_folder.File(name));
    }
    void Fill(const std::string& name, size_t size) {
        std::ofstream(m_folder.File(name), std::ios::binary) << std::string(size, 'x');
    }
};

TEST_F(AppLogTest, EntryFormat) {
    m_clock.m_localTime = "Tuesday, December 08, 16:30:00";
    AppendAppLogEntry(m_clock, "first");
    m_clock.m_localTime = "Wednesday, December 09, 07:05:09";
    AppendAppLogEntry(m_clock, "two\nlines");
    EXPECT_EQ(ReadFile("Kestrel.log"),
              "\nTuesday, December 08, 16:30:00\nfirst\n\n"
              "\nWednesday, December 09, 07:05:09\ntwo\nlines\n\n");
}

TEST_F(AppLogTest, TheRealClockFormatsWeekdayMonthDayAndTime) {
    AppendAppLogEntry(SystemClock(), "x");
    const std::string log = ReadFile("Kestrel.log");
    // "\n<Weekday>, <Month> <dd>, <hh>:<mm>:<ss>\nx\n\n"
    const size_t stampEnd = log.find('\n', 1);
    ASSERT_NE(stampEnd, std::string::npos);
    const std::string stamp = log.substr(1, stampEnd - 1);
    EXPECT_TRUE(std::regex_match(stamp, std::regex("[A-Z][a-z]+day, [A-Z][a-z]+ \\d\\d, "
                                                   "\\d\\d:\\d\\d:\\d\\d")))
        << stamp;
    EXPECT_EQ(log.substr(stampEnd), "\nx\n\n");
}

TEST_F(AppLogTest, BannerIsTheFirstEntry) {
    auto app = App();
    const std::string rule(75, '=');
    EXPECT_EQ(ReadFile("Kestrel.log"), "\n" + m_clock.m_localTime + "\n" + rule +
                                           "\nKestrel Application Invoked.\n" + rule + "\n\n");
}

TEST_F(AppLogTest, EntryPastTheLimitMovesTheLogAside) {
    const std::string entry = "\n" + m_clock.m_localTime + "\nabc\n\n";
    Fill("Kestrel.log.1", 10);  // an older one is replaced
    Fill("Kestrel.log", 2500000 - entry.size());
    AppendAppLogEntry(m_clock, "abc");  // exactly at the limit: not past it
    EXPECT_EQ(Size("Kestrel.log"), 2500000u);
    EXPECT_EQ(Size("Kestrel.log.1"), 10u);

    AppendAppLogEntry(m_clock, "abc");
    EXPECT_EQ(Size("Kestrel.log"), 0u);
    EXPECT_EQ(Size("Kestrel.log.1"), 2500000u + entry.size());
    const std::string previous = ReadFile("Kestrel.log.1");
    EXPECT_EQ(previous.substr(previous.size() - entry.size()), entry);  // nothing recent lost

    AppendAppLogEntry(m_clock, "next");
    EXPECT_EQ(ReadFile("Kestrel.log"), "\n" + m_clock.m_localTime + "\nnext\n\n");
}

TEST_F(AppLogTest, LogThatCannotBeOpenedLosesTheEntrySilently) {
    std::filesystem::create_directory(m_folder.File("Kestrel.log"));
    auto app = App();
    EXPECT_EQ(app->WriteAppLog("lost"), 1);
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.File("Kestrel.log")));
}

TEST_F(AppLogTest, EntriesGoToTheCurrentDirectoryOfTheMoment) {
    auto app = App();
    std::filesystem::create_directory(m_folder.File("demo"));
    std::filesystem::current_path(m_folder.File("demo"));
    app->WriteAppLog("in demo");
    EXPECT_EQ(ReadFile("demo/Kestrel.log"), "\n" + m_clock.m_localTime + "\nin demo\n\n");
    EXPECT_EQ(ReadFile("Kestrel.log").find("in demo"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
