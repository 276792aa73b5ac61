// Every demo ticket fits what the console sends whole: no line over 9,999 characters, no 0x00
// byte, no line over one Ventrix packet, whole-file mode's buffer and the 2,000-line limit; and
// every ticket has a preview picture that the console can show.
#include <gtest/gtest.h>

#include "console/TicketFile.h"

#include <cstring>

#include "DemoFolder.h"
#include "status/VentrixPacket.h"

namespace kestrel {
namespace {

using testing::DemoFile;
using testing::DemoTicketTitles;
using testing::Encode;
using testing::SplitLines;

// The limits the console checks a ticket against before sending it.
constexpr size_t kMaxLineCharacters = kTicketLineMaxChars;  // the line feed included
constexpr size_t kMaxLineBytes = kVentrixMaximumCommand;
constexpr size_t kMaxFileBytes = kTicketWholeMaxBytes;
constexpr size_t kMaxLines = kTicketMaxLines;
constexpr size_t kMaxPictureBytes = 400 * 1024;

struct Picture {
    std::string name;
    int32_t width;
    int32_t height;
};
constexpr int32_t kPreviewWidth = 500;  // the preview area (20, 190, 520, 390)
constexpr int32_t kPreviewHeight = 200;
const Picture kFixedPictures[] = {{"NoPreview.bmp", kPreviewWidth, kPreviewHeight},
                                  {"PictBottom.bmp", 500, 235}};  // area (20, 395, 520, 630)

template <typename T>
T Field(const std::string& bytes, size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// An uncompressed 24-bit BMP of the given size whose pixel rows all lie inside the file.
void ExpectBmp(const Picture& picture) {
    SCOPED_TRACE(picture.name);
    const std::string bytes = DemoFile(picture.name);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_LE(bytes.size(), kMaxPictureBytes);
    ASSERT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Field<uint32_t>(bytes, 2), bytes.size());
    EXPECT_GE(Field<uint32_t>(bytes, 14), 40u);  // the header's own size
    EXPECT_EQ(Field<int32_t>(bytes, 18), picture.width);
    EXPECT_EQ(std::abs(Field<int32_t>(bytes, 22)), picture.height);
    EXPECT_EQ(Field<uint16_t>(bytes, 26), 1);   // planes
    EXPECT_EQ(Field<uint16_t>(bytes, 28), 24);  // bits per pixel
    EXPECT_EQ(Field<uint32_t>(bytes, 30), 0u);  // no compression
    const size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) / 4 * 4;
    EXPECT_LE(Field<uint32_t>(bytes, 10) + stride * static_cast<size_t>(picture.height),
              bytes.size());
}

TEST(DemoFolderTest, HoldsTicketsAndTheFixedPictures) {
    EXPECT_GE(DemoTicketTitles().size(), 3u);
    for (const Picture& picture : kFixedPictures) {
        ExpectBmp(picture);
    }
}

TEST(DemoFolderTest, EveryTicketKeepsToTheSendingLimits) {
    for (const std::string& title : DemoTicketTitles()) {
        SCOPED_TRACE(title);
        const std::string text = DemoFile(title + ".dmo");
        EXPECT_LE(text.size(), kMaxFileBytes);
        EXPECT_EQ(text.find('\0'), std::string::npos);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
        const std::vector<std::string> lines = SplitLines(text);
        EXPECT_LE(lines.size(), kMaxLines);
        for (const std::string& line : lines) {
            EXPECT_LE(line.size() + 1, kMaxLineCharacters) << line.substr(0, 60);
            EXPECT_LE(Encode(line).size(), kMaxLineBytes) << line.substr(0, 60);
        }
    }
}

// In line mode each line goes out as one packet: it must begin with the start byte and a type
// that the sequence bits leave intact, or send nothing at all (comment and empty lines).
TEST(DemoFolderTest, EveryVentrixTicketLineIsAPacketOrNothing) {
    for (const std::string& title : DemoTicketTitles()) {
        if (title.rfind("Ventrix ", 0) != 0) {
            continue;
        }
        for (const std::string& line : SplitLines(DemoFile(title + ".dmo"))) {
            const std::vector<uint8_t> bytes = Encode(line);
            if (bytes.empty()) {
                continue;
            }
            SCOPED_TRACE(title + ": " + line.substr(0, 60));
            ASSERT_GE(bytes.size(), 2u);
            EXPECT_EQ(bytes[0], kVentrixStartByte);
            EXPECT_NE(bytes[1], kVentrixNullType);
            EXPECT_EQ(bytes[1] >> kVentrixSequenceShift, 0);
        }
    }
}

// Blanks are sent like any other character, so one before a comment or at a line's end would
// reach the printer unnoticed.
TEST(DemoFolderTest, NoTicketSendsABlankBeforeACommentOrAtALineEnd) {
    for (const std::string& title : DemoTicketTitles()) {
        for (const std::string& line : SplitLines(DemoFile(title + ".dmo"))) {
            const std::string sent = line.substr(0, line.find('`'));
            EXPECT_TRUE(sent.empty() || (sent.back() != ' ' && sent.back() != '\t'))
                << title << ": " << line.substr(0, 60);
        }
    }
}

TEST(DemoFolderTest, EveryTicketHasItsPreview) {
    for (const std::string& title : DemoTicketTitles()) {
        ExpectBmp({title + ".bmp", kPreviewWidth, kPreviewHeight});
    }
}

}  // namespace
}  // namespace kestrel
