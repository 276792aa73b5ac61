#include "commlog/CommLogFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "commlog/RtfReader.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

class CommLogFileTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return m_scratch.File(name); }

    testing::ScratchFolder m_scratch;
    const std::string& m_folder = m_scratch.Path();
};

TEST_F(CommLogFileTest, WritesAndReadsBackEveryByte) {
    std::string bytes = "{\\rtf1 a}";
    bytes.push_back('\0');
    bytes += "\xFF\r\n";
    std::string error;
    ASSERT_TRUE(WriteCommLogFile(Path("log.rtf"), bytes, &error)) << error;
    std::string read;
    ASSERT_TRUE(ReadCommLogFile(Path("log.rtf"), &read, &error)) << error;
    EXPECT_EQ(read, bytes);

    ASSERT_TRUE(WriteCommLogFile(Path("log.rtf"), "short", &error)) << error;
    ASSERT_TRUE(ReadCommLogFile(Path("log.rtf"), &read, &error));
    EXPECT_EQ(read, "short");
}

TEST_F(CommLogFileTest, AFailedWriteSaysWhyAndLeavesNothingBehind) {
    std::ofstream(Path("plain")) << "x";
    std::string error;
    EXPECT_FALSE(WriteCommLogFile(Path("plain/log.rtf"), "data", &error));
    EXPECT_NE(error.find("plain/log.rtf"), std::string::npos);
    EXPECT_NE(error.find("Not a directory"), std::string::npos);
    error.clear();
    EXPECT_FALSE(WriteCommLogFile(Path("missing/log.rtf"), "data", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos);

    ASSERT_EQ(mkdir(Path("folder").c_str(), 0700), 0);
    EXPECT_FALSE(WriteCommLogFile(Path("folder"), "data", &error));
    struct stat info {};
    ASSERT_EQ(stat(Path("folder").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(CommLogFileTest, ReadingFailsClearlyForWhatIsNotAReadableFile) {
    std::string bytes;
    std::string error;
    EXPECT_FALSE(ReadCommLogFile(Path("absent.rtf"), &bytes, &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos);

    EXPECT_FALSE(ReadCommLogFile(m_folder, &bytes, &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos);

    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ReadCommLogFile(Path("fifo"), &bytes, &error));  // and does not wait

    const std::string big = Path("big.rtf");
    std::ofstream(big) << "{\\rtf1 ";
    ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(kMaxRtfDocumentSize + 1)), 0);
    EXPECT_FALSE(ReadCommLogFile(big, &bytes, &error));
    EXPECT_NE(error.find("larger"), std::string::npos);
}

TEST_F(CommLogFileTest, ReadsAnEmptyFile) {
    std::ofstream(Path("empty.rtf")).close();
    std::string bytes = "old";
    std::string error;
    ASSERT_TRUE(ReadCommLogFile(Path("empty.rtf"), &bytes, &error));
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace kestrel
