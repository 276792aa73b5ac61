#include "console/TicketFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "console/TicketTexts.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::ScratchFolder;

class TicketFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = m_folder.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    ScratchFolder m_folder;
};

std::string Lines(int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += line + "\r\n";
    }
    return text;
}

std::string Utf16(const std::string& ascii) {
    std::string text = "\xFF\xFE";
    for (const char c : ascii) {
        text += c;
        text += '\0';
    }
    return text;
}

struct TicketCase {
    const char* name;
    std::string content;
    TicketLayout layout;
    std::vector<std::string> transmissions;  // expected; empty: refused
    std::string error;                       // expected refusal text
};

TEST_F(TicketFileTest, TicketsAreCheckedWholeBeforeAnythingIsSent) {
    const std::string refused = kNotSentSuffix;
    const std::vector<TicketCase> cases = {
        {"three lines, a blank and a comment",
         "<0x02><0x05>A\r\n\r\n`note\r\n<0x02><0x05>B\n<0x02><0x05>C",
         TicketLayout::Lines,
         {"\x02\x05"
          "A",
          "\x02\x05"
          "B",
          "\x02\x05"
          "C"},
         ""},
        {"last line without a line break is sent", "X\nY", TicketLayout::Lines, {"X", "Y"}, ""},
        {"line starting with CR is skipped", "\rX\nY\n", TicketLayout::Lines, {"Y"}, ""},
        {"whole file without line breaks",
         "<0x02>A\r\nB`c\r\nC\n",
         TicketLayout::Whole,
         {"\x02"
          "ABC"},
         ""},
        {"10,050-character line",
         std::string(10050, 'A') + "\n",
         TicketLayout::Lines,
         {},
         "Ticket line 1" + std::string(kLineTooLongText) + refused},
        {"10,050-character comment in whole-file mode is too long a file",
         "`" + std::string(10049, 'A'),
         TicketLayout::Whole,
         {},
         std::string(kTicketTooLongText) + refused},
        {"9,999 characters are one line",
         std::string(9999, 'A'),
         TicketLayout::Lines,
         {},
         "Ticket line 1" + std::string(kLineTooLongForPacketText) + refused},
        {"300-byte line in Ventrix mode",
         "ok\n" + std::string(300, 'B') + "\n",
         TicketLayout::Lines,
         {},
         "Ticket line 2" + std::string(kLineTooLongForPacketText) + refused},
        {"252 bytes fit one packet",
         std::string(252, 'B'),
         TicketLayout::Lines,
         {std::string(252, 'B')},
         ""},
        {"253 converted bytes do not",
         std::string(250, 'B') + "<0x01><0x02><0x03>",
         TicketLayout::Lines,
         {},
         "Ticket line 1" + std::string(kLineTooLongForPacketText) + refused},
        {"UTF-16 file in line mode",
         Utf16("<0x02><0x05>A\r\n"),
         TicketLayout::Lines,
         {},
         std::string(kTicketHoldsNulText) + refused},
        {"UTF-16 file in whole-file mode",
         Utf16("ABC"),
         TicketLayout::Whole,
         {},
         std::string(kTicketHoldsNulText) + refused},
        {"empty file in line mode",
         "",
         TicketLayout::Lines,
         {},
         std::string(kTicketEmptyText) + refused},
        {"empty file in whole-file mode",
         "",
         TicketLayout::Whole,
         {},
         std::string(kTicketEmptyText) + refused},
        {"comments only",
         "`one\n`two\n",
         TicketLayout::Lines,
         {},
         std::string(kTicketEmptyText) + refused},
        {"exactly 10,000 bytes in whole-file mode",
         std::string(10000, 'Z'),
         TicketLayout::Whole,
         {},
         std::string(kTicketTooLongText) + refused},
        {"9,999 bytes in whole-file mode",
         std::string(9999, 'Z'),
         TicketLayout::Whole,
         {std::string(9999, 'Z')},
         ""},
        {"2,001 lines",
         Lines(2001, "L"),
         TicketLayout::Lines,
         {},
         std::string(kTicketTooManyLinesText) + refused},
        {"2,000 lines and trailing blank ones", Lines(2000, "L") + "\r\n\n\n", TicketLayout::Lines,
         std::vector<std::string>(2000, "L"), ""},
    };
    for (const TicketCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write("t.dmo", c.content);
        std::vector<std::string> transmissions{"left over"};
        std::string error;
        const bool ok = PrepareTicket(path, c.layout, &transmissions, &error);
        EXPECT_EQ(ok, c.error.empty());
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(transmissions, c.transmissions);
    }
}

TEST_F(TicketFileTest, TheBinarySenderTakesOnlyRegularFiles) {
    ASSERT_EQ(mkfifo(m_folder.File("fifo.bin").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(m_folder.File("folder.bin").c_str(), 0700), 0);
    for (const char* name : {"fifo.bin", "folder.bin", "missing.bin"}) {
        std::vector<std::string> packets;
        std::string error;
        EXPECT_FALSE(PrepareBinaryBlocks(m_folder.File(name), &packets, &error));
        EXPECT_EQ(error, kTicketNotFoundText) << name;
        EXPECT_FALSE(PrepareBinaryLines(m_folder.File(name), &packets, &error));
        EXPECT_EQ(error, kTicketNotFoundText) << name;
    }
}

TEST_F(TicketFileTest, BinaryFilesGoOutInBlocksUpToTheirLimit) {
    std::string bytes(kBinaryFileMaxBytes, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 31);
    }
    std::vector<std::string> blocks;
    std::string error;
    ASSERT_TRUE(PrepareBinaryBlocks(Write("max.bin", bytes), &blocks, &error)) << error;
    ASSERT_EQ(blocks.size(), static_cast<size_t>(kBinaryMaxBlocks));
    EXPECT_EQ(blocks[1], bytes.substr(4096, 4096));

    // One byte more than 2,000 blocks: refused before anything goes out, not cut off.
    EXPECT_FALSE(PrepareBinaryBlocks(Write("over.bin", bytes + "x"), &blocks, &error));
    EXPECT_EQ(error, kBinaryTooLongText);
    EXPECT_TRUE(blocks.empty());

    ASSERT_TRUE(PrepareBinaryBlocks(Write("short.bin", std::string("\0\1\2", 3)), &blocks, &error));
    EXPECT_EQ(blocks, std::vector<std::string>{std::string("\0\1\2", 3)});
    ASSERT_TRUE(PrepareBinaryBlocks(Write("empty.bin", ""), &blocks, &error));
    EXPECT_TRUE(blocks.empty());
}

TEST_F(TicketFileTest, BinaryLinesAreSentAsTheyAreWithoutLineEnds) {
    std::vector<std::string> packets;
    std::string error;
    const std::string text = std::string("\x02\x05[ESC]\r\n\n\r\x02\x05skipped\n") +
                             std::string("\x02\x05\x00\x01", 4) + "\n" +
                             std::string("\0skipped", 8) + "\n\x02\x06last";
    ASSERT_TRUE(PrepareBinaryLines(Write("lines.bin", text), &packets, &error)) << error;
    EXPECT_EQ(packets, (std::vector<std::string>{
                           "\x02\x05[ESC]", std::string("\x02\x05\x00\x01", 4), "\x02\x06last"}));

    EXPECT_FALSE(
        PrepareBinaryLines(Write("long.bin", "a\n" + std::string(253, 'x')), &packets, &error));
    EXPECT_EQ(error, "Line 2 of the file" + std::string(kBinaryLineTooLongText));
    EXPECT_FALSE(PrepareBinaryLines(Write("many.bin", Lines(2001, "p")), &packets, &error));
    EXPECT_EQ(error, kBinaryTooManyLinesText);
}

}  // namespace
}  // namespace kestrel
