// Reading the log while it grows: the view follows the end until the operator scrolls back or
// selects, then holds still with a bar counting the records below; find with its bar over the
// pane. With KESTREL_SCREENSHOT_DIR set, both bars are saved there as PNGs to look at.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>
#include <memory>

#include "commlog/CommLogRenderer.h"
#include "ui/CRichtextctrl1.h"
#include "ui/LogFindBar.h"
#include "ui/LogPaneNewRecordsBar.h"

namespace kestrel {
namespace {

constexpr int kHex = 1;
constexpr int kText = 0;

// Counts the paints a widget receives.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

void SaveShot(QWidget& widget, const char* name) {
    if (const char* folder = std::getenv("KESTREL_SCREENSHOT_DIR")) {
        widget.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
    }
}

// The pane in a dialog with a default button, as on the console, where Enter and Escape mean
// something to the dialog.
class LogPaneReadingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&m_dialog);
        m_pane = new CRichtextctrl1(&m_dialog);
        m_default = new QPushButton("Send", &m_dialog);
        m_default->setDefault(true);
        layout->addWidget(m_pane);
        layout->addWidget(m_default);
        QObject::connect(m_default, &QPushButton::clicked, [this] { ++m_defaultClicks; });
        m_dialog.resize(620, 360);
        m_dialog.show();
        m_dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
    }

    // Printable records alternating in direction every few bytes, 3 ms apart.
    void Add(int records) {
        for (int i = 0; i < records; ++i, ++m_next) {
            m_capture->Record(static_cast<uint8_t>(0x20 + m_next * 7 % 95),
                              static_cast<uint32_t>(m_next * 3),
                              (m_next / 5) % 2 == 0 ? TrafficSent : TrafficReceived);
        }
        m_renderer.Render(0, *m_capture, m_form, 0, m_pane);
    }
    QScrollBar* Vertical() { return m_pane->verticalScrollBar(); }

    QDialog m_dialog;
    CRichtextctrl1* m_pane = nullptr;
    QPushButton* m_default = nullptr;
    int m_defaultClicks = 0;
    std::unique_ptr<TrafficCapture> m_capture = std::make_unique<TrafficCapture>();
    CommLogRenderer m_renderer;
    int m_next = 0;
    int m_form = kHex;
};

TEST_F(LogPaneReadingTest, FollowsTheEndHoldsWhileReadingBackAndCountsWhatArrived) {
    Add(3000);
    EXPECT_TRUE(m_pane->IsFollowing());
    EXPECT_EQ(Vertical()->value(), Vertical()->maximum());
    Add(64);  // following: each refresh keeps the end in view
    EXPECT_EQ(Vertical()->value(), Vertical()->maximum());
    EXPECT_EQ(m_pane->CaretPosition(), m_pane->Content().text.size());

    Vertical()->triggerAction(QAbstractSlider::SliderPageStepSub);  // the operator scrolls back
    EXPECT_FALSE(m_pane->IsFollowing());
    const size_t reading = m_pane->FirstVisibleLine();
    Add(100);
    Add(50);
    EXPECT_EQ(m_pane->FirstVisibleLine(), reading);
    EXPECT_EQ(m_pane->NewRecordsBelow(), 150);
    ASSERT_TRUE(m_pane->NewRecordsBar()->isVisible());
    EXPECT_TRUE(m_pane->NewRecordsBar()->text().startsWith("150 new records below"));
    SaveShot(m_dialog, "logpane-new-records");

    Vertical()->triggerAction(QAbstractSlider::SliderToMaximum);  // back at the end: follows
    EXPECT_TRUE(m_pane->IsFollowing());
    EXPECT_FALSE(m_pane->NewRecordsBar()->isVisible());
    Add(100);
    EXPECT_EQ(Vertical()->value(), Vertical()->maximum());

    m_pane->SelectAll();  // a selection holds the view and survives the refresh
    const size_t selected = m_pane->SelectedText().size();
    Add(100);
    EXPECT_FALSE(m_pane->IsFollowing());
    EXPECT_EQ(m_pane->SelectedText().size(), selected);
    EXPECT_EQ(m_pane->NewRecordsBelow(), 100);
    QTest::mouseClick(const_cast<LogPaneNewRecordsBar*>(m_pane->NewRecordsBar()), Qt::LeftButton);
    EXPECT_TRUE(m_pane->IsFollowing());
    EXPECT_EQ(Vertical()->value(), Vertical()->maximum());
    EXPECT_EQ(m_pane->CaretPosition(), m_pane->Content().text.size());
}

TEST_F(LogPaneReadingTest, FindsBytesNextPreviousWrappingAndEscapeClosesOnlyTheBar) {
    // 02 12 sent twice, far apart, in a log of other bytes.
    for (int round = 0; round < 2; ++round) {
        m_capture->Record(0x02, static_cast<uint32_t>(m_next), TrafficSent);
        m_capture->Record(0x12, static_cast<uint32_t>(m_next), TrafficReceived);
        Add(1500);
    }
    m_pane->setFocus();
    QTest::keyClick(m_pane, Qt::Key_F, Qt::ControlModifier);
    LogFindBar* bar = m_pane->FindBar();
    ASSERT_TRUE(bar->isVisible());
    bar->SetHexBytes(true);
    QTest::keyClicks(bar->QueryEdit(), "0212");
    EXPECT_EQ(bar->CountText(), "2 matches");
    EXPECT_EQ(m_pane->Matches().spans.size(), 4u);  // each byte's cell, in its own row

    const auto press = [&](Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(bar->QueryEdit(), Qt::Key_Return, modifiers);
        return bar->CountText();
    };
    EXPECT_EQ(press(Qt::NoModifier), "1 of 2");
    const size_t firstLine = m_pane->FirstVisibleLine();
    EXPECT_EQ(press(Qt::NoModifier), "2 of 2");
    EXPECT_NE(m_pane->FirstVisibleLine(), firstLine);
    EXPECT_EQ(press(Qt::NoModifier), "1 of 2");  // wraps round
    EXPECT_EQ(press(Qt::ShiftModifier), "2 of 2");
    EXPECT_FALSE(m_pane->IsFollowing());  // the view stays at the match
    Add(10);
    EXPECT_EQ(bar->CountText(), "2 of 2");
    SaveShot(m_dialog, "logpane-find");

    bar->SetHexBytes(false);
    bar->SetQuery("12..");
    EXPECT_EQ(bar->CountText(), "2 matches");
    bar->SetHexBytes(true);
    bar->SetQuery("0 212");
    EXPECT_EQ(bar->CountText(), "Type bytes as \"02 12\"");

    QTest::keyClick(bar->QueryEdit(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(m_dialog.isVisible());  // Escape closed the bar, not the window
    EXPECT_EQ(m_defaultClicks, 0);      // and Enter never reached the default button
    EXPECT_EQ(m_pane->Matches().Count(), 0u);
}

// Refreshes while following move what is on screen and paint only what changed (in text form
// the open block's rows change only at their ends); the window must then show what a paint of
// everything shows, while the slider shrinks and moves as the log grows, and once the log is
// thousands of lines long (the slider as short as it gets, at the end) the scroll bar is not
// painted at all.
TEST_F(LogPaneReadingTest, RefreshesLeaveOnScreenWhatAWholePaintShows) {
    const auto onScreen = [this] {
        QCoreApplication::processEvents();  // the pending paints and the flush
        return m_dialog.screen()
            ->grabWindow(m_dialog.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    constexpr int kLongLog = 5000;  // records
    for (const int form : {kHex, kText}) {
        m_form = form;
        m_capture->Clear();
        m_renderer.Render(1, *m_capture, m_form, 0, m_pane);
        onScreen();
        const PaintCounter bar(Vertical());
        int barPaintsOnceLong = 0;  // by the refreshes, not by the grabs of everything
        for (const int records :
             {9, 40, 3, 64, 200, 9, 300, 700, 2000, 3000, 1, 5, 17, 40, 3, 64, 200, 9}) {
            const bool wasLong = m_capture->m_trafficCount > kLongLog;
            Add(records);
            const int before = bar.paints;
            const QImage shown = onScreen();
            barPaintsOnceLong += wasLong ? bar.paints - before : 0;
            const QImage whole = m_dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(shown.size(), whole.size());
            const QRect pane(m_pane->mapTo(&m_dialog, QPoint(0, 0)), m_pane->size());
            EXPECT_EQ(shown.copy(pane), whole.copy(pane))
                << "form " << form << " after adding " << records;
            if (const char* folder = std::getenv("KESTREL_SCREENSHOT_DIR")) {
                shown.save(QString::fromLocal8Bit(folder) + "/logpane-after-refreshes.png");
            }
        }
        EXPECT_EQ(barPaintsOnceLong, 0) << "form " << form;
    }
}

}  // namespace
}  // namespace kestrel
