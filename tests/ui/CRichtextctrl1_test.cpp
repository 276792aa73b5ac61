#include "ui/CRichtextctrl1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <memory>

#include "commlog/CommLogRenderer.h"
#include "commlog/RtfReader.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace kestrel {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

constexpr int kHex = 1;

// The worked example: a sent 1B, a sent 40 2 ms later, a received 00 8 ms after that.
std::string WorkedExampleDocument() {
    auto capture = std::make_unique<TrafficCapture>();
    capture->Record(0x1B, 5000, TrafficSent);
    capture->Record(0x40, 5002, TrafficSent);
    capture->Record(0x00, 5010, TrafficReceived);
    CommLogRenderer renderer;
    renderer.Render(1, *capture, kHex, 0, nullptr);
    return std::string(renderer.Document());
}

std::unique_ptr<TrafficCapture> BusyCapture(int records) {
    auto capture = std::make_unique<TrafficCapture>();
    for (int i = 0; i < records; ++i) {
        capture->Record(static_cast<uint8_t>(i * 7), static_cast<uint32_t>(i * 5),
                        (i / 5) % 2 == 0 ? TrafficSent : TrafficReceived);
    }
    return capture;
}

class LogPaneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_pane.resize(800, 600);
        m_pane.show();
    }

    CRichtextctrl1 m_pane;
    ScratchFolder m_scratch;
};

TEST_F(LogPaneTest, TakesARenderingAndGivesBackItsTextAndBytes) {
    auto capture = BusyCapture(3);
    CommLogRenderer renderer;
    capture->Record(0x41, 100, TrafficReceived);
    ASSERT_EQ(renderer.Render(0, *capture, kHex, 0, &m_pane), 1);
    EXPECT_EQ(m_pane.Document(), renderer.Document());
    EXPECT_EQ(m_pane.Text(),
              "00..07..0E...... \n"
              "............41.. \n"
              "000 005 005 05a  \n"
              " \n"
              " \n");
    EXPECT_EQ(m_pane.CaretPosition(), m_pane.Text().size());
    EXPECT_EQ(m_pane.Property5(), 1);

    const std::string path = m_scratch.File("round.rtf");
    std::string error;
    ASSERT_TRUE(m_pane.SaveFile(path, &error)) << error;
    EXPECT_EQ(ReadFileBytes(path), renderer.Document());
}

TEST_F(LogPaneTest, LoadsASavedLogBack) {
    m_pane.SetDocument(WorkedExampleDocument());
    const std::string path = m_scratch.File("saved.rtf");
    std::string error;
    ASSERT_TRUE(m_pane.SaveFile(path, &error)) << error;
    const std::string text = m_pane.Text();

    CRichtextctrl1 other;
    ASSERT_TRUE(other.LoadFile(path, &error)) << error;
    EXPECT_EQ(other.Text(), text);
    EXPECT_EQ(other.Document(), m_pane.Document());
    EXPECT_EQ(other.Content().colours.size(), 6u);
    EXPECT_EQ(other.CaretPosition(), 0u);
}

TEST_F(LogPaneTest, KeepsTheCaretAndViewAtTheEndOfAFullCapture) {
    auto capture = BusyCapture(kTrafficResetCount - 1);
    CommLogRenderer renderer;
    renderer.Render(0, *capture, kHex, 0, &m_pane);
    const StyledText& content = m_pane.Content();
    ASSERT_GT(content.LineCount(), 3000u);
    EXPECT_EQ(m_pane.CaretPosition(), content.text.size());
    const QScrollBar* vertical = m_pane.verticalScrollBar();
    EXPECT_EQ(vertical->value(), vertical->maximum());
    EXPECT_GT(vertical->maximum(), 0);
    EXPECT_LE(m_pane.FirstVisibleLine() + static_cast<size_t>(vertical->pageStep()),
              content.LineCount());
    EXPECT_GE(m_pane.FirstVisibleLine() + static_cast<size_t>(vertical->pageStep()),
              content.LineCount() - 1);

    m_pane.resize(600, 300);  // a view showing the end keeps showing it
    EXPECT_EQ(vertical->value(), vertical->maximum());
    EXPECT_GE(m_pane.FirstVisibleLine() + static_cast<size_t>(vertical->pageStep()),
              content.LineCount() - 1);

    m_pane.SetSelectionStart(0);
    EXPECT_EQ(m_pane.FirstVisibleLine(), 0u);
    m_pane.resize(800, 600);
    EXPECT_EQ(m_pane.FirstVisibleLine(), 0u);
    m_pane.SetSelectionStart(-5);
    EXPECT_EQ(m_pane.CaretPosition(), 0u);
}

TEST_F(LogPaneTest, ShowsADocumentThatIsNotRtfAsPlainTextAndSavesItAsRtf) {
    m_pane.SetDocument("just {words}\nand more");
    EXPECT_EQ(m_pane.Text(), "just {words}\nand more");
    EXPECT_EQ(m_pane.Document(), "just {words}\nand more");

    const std::string path = m_scratch.File("plain.rtf");
    std::string error;
    ASSERT_TRUE(m_pane.SaveFile(path, &error)) << error;
    CRichtextctrl1 other;
    ASSERT_TRUE(other.LoadFile(path, &error)) << error;
    EXPECT_EQ(other.Text(), m_pane.Text());
}

TEST_F(LogPaneTest, AnEmptyPaneSavesALoadableDocument) {
    const std::string path = m_scratch.File("empty.rtf");
    std::string error;
    ASSERT_TRUE(m_pane.SaveFile(path, &error)) << error;
    EXPECT_TRUE(IsRtf(ReadFileBytes(path)));
    EXPECT_TRUE(m_pane.LoadFile(path, &error)) << error;
    EXPECT_EQ(m_pane.Text(), "");
}

TEST_F(LogPaneTest, RefusesFilesThatAreNotRtfAndKeepsItsContent) {
    m_pane.SetDocument(WorkedExampleDocument());
    const std::string before = m_pane.Text();
    std::string error;

    WriteFileBytes(m_scratch.File("empty.rtf"), "");
    EXPECT_FALSE(m_pane.LoadFile(m_scratch.File("empty.rtf"), &error));
    EXPECT_NE(error.find("not an RTF document"), std::string::npos) << error;

    std::string binary;
    for (int i = 0; i < 65536; ++i) {
        binary.push_back(static_cast<char>((i * 2654435761u) >> 24));
    }
    WriteFileBytes(m_scratch.File("binary.rtf"), binary);
    error.clear();
    EXPECT_FALSE(m_pane.LoadFile(m_scratch.File("binary.rtf"), &error));
    EXPECT_FALSE(error.empty());

    error.clear();
    EXPECT_FALSE(m_pane.LoadFile(m_scratch.File("absent.rtf"), &error));
    EXPECT_NE(error.find("absent.rtf"), std::string::npos);

    EXPECT_FALSE(m_pane.LoadFile(m_scratch.Path(), &error));
    EXPECT_EQ(m_pane.Text(), before);
}

TEST_F(LogPaneTest, LoadsDamagedAndHugeRtfBestEffort) {
    std::string error;
    const std::string document = WorkedExampleDocument();
    const std::string cut = document.substr(0, document.find(R"(\cf1 002)"));
    WriteFileBytes(m_scratch.File("truncated.rtf"), cut);
    ASSERT_TRUE(m_pane.LoadFile(m_scratch.File("truncated.rtf"), &error)) << error;
    EXPECT_EQ(m_pane.Text(), "1B..40...... \n........00.. \n000 ");

    const size_t depth = 100000;
    WriteFileBytes(m_scratch.File("deep.rtf"),
                   "{\\rtf1 a" + std::string(depth, '{') + "b" + std::string(depth, '}') + "c}");
    ASSERT_TRUE(m_pane.LoadFile(m_scratch.File("deep.rtf"), &error)) << error;
    EXPECT_EQ(m_pane.Text(), "abc");

    const std::string line = std::string(R"(\cf2 \b 1B\b0 ..)") + std::string(80, 'x') + "\\par\n";
    std::string huge = "{\\rtf1 ";
    huge.reserve(size_t{50} << 20);
    while (huge.size() < (size_t{50} << 20)) {
        huge += line;
    }
    WriteFileBytes(m_scratch.File("huge.rtf"), huge);
    ASSERT_TRUE(m_pane.LoadFile(m_scratch.File("huge.rtf"), &error)) << error;
    EXPECT_EQ(m_pane.Document().size(), huge.size());
    EXPECT_GT(m_pane.Content().LineCount(), 400000u);
    EXPECT_EQ(m_pane.Content().Line(1), "1B.." + std::string(80, 'x'));
    m_pane.SetSelectionStart(kCommLogCaretAtEnd);
    const QImage shot = m_pane.grab().toImage();
    EXPECT_FALSE(shot.isNull());
}

TEST_F(LogPaneTest, SelectAllAndCopyPutThePlainTextOnTheClipboard) {
    m_pane.SetDocument(WorkedExampleDocument());
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(&m_pane, &selectAll);
    EXPECT_EQ(m_pane.SelectedText(), m_pane.Text());
    QApplication::clipboard()->clear();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(&m_pane, &copy);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), m_pane.Text());
}

TEST_F(LogPaneTest, DraggingTheMouseSelectsText) {
    m_pane.SetDocument(WorkedExampleDocument());
    m_pane.SetSelectionStart(0);
    QWidget* viewport = m_pane.viewport();
    const QFontMetricsF metrics(m_pane.font());
    const qreal cell = metrics.horizontalAdvance(QLatin1Char('0'));
    const QPointF start(1, 2);
    const QPointF end(cell * 6, metrics.height() * 1.5);  // line 1, column 6
    QMouseEvent press(QEvent::MouseButtonPress, start, viewport->mapToGlobal(start), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent move(QEvent::MouseMove, end, viewport->mapToGlobal(end), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_EQ(m_pane.SelectedText(), "1B..40...... \n......");
}

TEST_F(LogPaneTest, FollowsTheEnabledState) {
    m_pane.SetEnabled(false);
    EXPECT_FALSE(m_pane.isEnabled());
    m_pane.SetEnabled(true);
    EXPECT_TRUE(m_pane.isEnabled());
}

// True when `image` has a pixel within `tolerance` of `colour` in every channel.
bool HasColour(const QImage& image, QColor colour, int tolerance) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) <= tolerance &&
                std::abs(pixel.green() - colour.green()) <= tolerance &&
                std::abs(pixel.blue() - colour.blue()) <= tolerance) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(LogPaneTest, PaintsTheThreeRowsInTheirColours) {
    auto capture = BusyCapture(200);
    CommLogRenderer renderer;
    renderer.Render(0, *capture, kHex, 0, &m_pane);
    const QImage shot = m_pane.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    constexpr int kTolerance = 24;
    EXPECT_TRUE(HasColour(shot, QColor(255, 0, 0), kTolerance));     // time row
    EXPECT_TRUE(HasColour(shot, QColor(51, 153, 102), kTolerance));  // sent
    EXPECT_TRUE(HasColour(shot, QColor(0, 0, 255), kTolerance));     // received
    const QByteArray screenshot = qgetenv("KESTREL_PANE_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        shot.save(QString::fromLocal8Bit(screenshot));
    }
}

}  // namespace
}  // namespace kestrel
