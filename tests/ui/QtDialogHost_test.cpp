// The Qt dialog host: events only for the operator's actions, sorted lists, timers, pictures,
// picture buttons, the context menu and the ways out.
#include "ui/QtDialogHost.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "console/ConsoleGroups.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "platform/AsciiText.h"
#include "support/ScratchFolder.h"
#include "ui/PictureButton.h"
#include "ui/RecordingEvents.h"

namespace kestrel {
namespace {

using testing::RecordingEvents;
using Command = RecordingEvents::Command;

// A host with recording events attached, as RunModal attaches them, but without a modal loop.
struct AttachedHost {
    explicit AttachedHost(const DialogTemplate& dialogTemplate = ConsoleTemplate(),
                          QtDialogHost::LogWriter log = {})
        : host(dialogTemplate, nullptr, std::move(log)) {
        // EndDialog from inside the init ends the run before any loop starts.
        events.m_onInit = [](DialogHost& h) { h.EndDialog(kIdOk); };
        host.RunModal(events);
    }
    QtDialogHost host;
    RecordingEvents events;
};

// RunModal detaches the events when the run ends; these tests keep them attached.
class LiveHost : public QtDialogHost {
  public:
    explicit LiveHost(const DialogTemplate& dialogTemplate = ConsoleTemplate(), LogWriter log = {})
        : QtDialogHost(dialogTemplate, nullptr, std::move(log)) {}
};

// Runs the dialog modally until `body` has run inside its loop and ended it.
int RunWith(QtDialogHost& host, RecordingEvents& events, std::function<void()> body) {
    events.m_onInit = [&host, body = std::move(body)](DialogHost&) {
        QTimer::singleShot(0, &host, [&host, body] {
            body();
            host.EndDialog(kIdOk);
        });
    };
    return host.RunModal(events);
}

TEST(QtDialogHost, ACheckBoxClickArrivesAfterItToggledAndCheckButtonSendsNothing) {
    LiveHost host;
    RecordingEvents events;
    RunWith(host, events, [&] {
        host.CheckButton(IDC_DEBUGMODE, 1);
        host.CheckButton(IDC_DEBUGMODE, 0);
        auto* box = qobject_cast<QCheckBox*>(host.Control(IDC_DEBUGMODE));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    });
    const std::vector<Command> expected = {{IDC_DEBUGMODE, kBnClicked, 1},
                                           {IDC_DEBUGMODE, kBnClicked, 0}};
    EXPECT_EQ(events.m_commands, expected);
}

TEST(QtDialogHost, CheckButtonOnARadioButtonLeavesTheOtherAsItIs) {
    QtDialogHost host(ConsoleTemplate());
    host.CheckButton(IDC_HEX, 1);
    host.CheckButton(IDC_TEXT, 1);
    EXPECT_EQ(host.IsButtonChecked(IDC_HEX), 1);
    EXPECT_EQ(host.IsButtonChecked(IDC_TEXT), 1);
    host.CheckButton(IDC_HEX, 0);
    EXPECT_EQ(host.IsButtonChecked(IDC_HEX), 0);
    EXPECT_EQ(host.IsButtonChecked(IDC_TEXT), 1);
}

TEST(QtDialogHost, SortedListKeepsAsciiOrderWithoutCaseTiesByBytes) {
    QtDialogHost host(ConsoleTemplate());
    const std::vector<std::string> added = {"b.dmo", "B.dmo",  "a.dmo", "_x.dmo",       "Zed.dmo",
                                            "a.DMO", "10.dmo", "9.dmo", "\xe9t\xe9.dmo"};
    for (const std::string& name : added) {
        const int index = host.AddString(IDC_DEMOLIST, name);
        EXPECT_EQ(host.GetItemString(IDC_DEMOLIST, index), name);
    }
    std::vector<std::string> shown;
    for (int i = 0; i < host.GetCount(IDC_DEMOLIST); ++i) {
        shown.push_back(host.GetItemString(IDC_DEMOLIST, i));
    }
    std::vector<std::string> expected = added;
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return SortsBeforeInList(a, b); });
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(shown, (std::vector<std::string>{"10.dmo", "9.dmo", "_x.dmo", "a.DMO", "a.dmo",
                                               "B.dmo", "b.dmo", "Zed.dmo", "\xe9t\xe9.dmo"}));
}

TEST(QtDialogHost, UnsortedComboKeepsOrderAndAddingDoesNotChooseAnItem) {
    QtDialogHost host(ConsoleTemplate());
    for (const char* command : {"[ESC]V", "[ESC]@", "[ESC][ENQ]1"}) {
        host.AddString(IDC_CMDCOMBO, command);
    }
    EXPECT_EQ(host.GetItemString(IDC_CMDCOMBO, 0), "[ESC]V");
    EXPECT_EQ(host.GetItemString(IDC_CMDCOMBO, 2), "[ESC][ENQ]1");
    EXPECT_EQ(host.GetCurSel(IDC_CMDCOMBO), kListError);
    EXPECT_EQ(host.GetItemText(IDC_CMDCOMBO), "");
    host.SetItemText(IDC_CMDCOMBO, "typed");
    EXPECT_EQ(host.InsertString(IDC_CMDCOMBO, 0, "first"), 0);
    EXPECT_EQ(host.GetItemText(IDC_CMDCOMBO), "typed");
    EXPECT_EQ(host.GetCount(IDC_CMDCOMBO), 4);
}

TEST(QtDialogHost, FindAndSelectIgnoreCaseAndWrapRoundFromStart) {
    QtDialogHost host(PortDialogTemplate());
    for (const char* name : {"COM10:", "COM1:", "LPT1:", "com3"}) {
        host.AddString(IDC_PORTCOMBO, name);
    }
    // Sorted: COM10: ('0' before ':'), COM1:, com3, LPT1:
    EXPECT_EQ(host.FindStringExact(IDC_PORTCOMBO, -1, "Com3"), 2);
    EXPECT_EQ(host.FindStringExact(IDC_PORTCOMBO, 2, "com3"), 2);  // round the list
    EXPECT_EQ(host.FindStringExact(IDC_PORTCOMBO, -1, "COM1"), kListError);
    EXPECT_EQ(host.SelectString(IDC_PORTCOMBO, -1, "com1"), 0);
    EXPECT_EQ(host.GetItemText(IDC_PORTCOMBO), "COM10:");
    EXPECT_EQ(host.SelectString(IDC_PORTCOMBO, 0, "com1"), 1);
    EXPECT_EQ(host.GetItemText(IDC_PORTCOMBO), "COM1:");
    EXPECT_EQ(host.SelectString(IDC_PORTCOMBO, -1, "USB"), kListError);
    EXPECT_EQ(host.SetCurSel(IDC_PORTCOMBO, 7), kListError);
    EXPECT_EQ(host.GetCurSel(IDC_PORTCOMBO), kListError);
}

TEST(QtDialogHost, ListSelectionByTheLogicIsNotReportedButByTheOperatorIs) {
    LiveHost host;
    RecordingEvents events;
    RunWith(host, events, [&] {
        host.AddString(IDC_DEMOLIST, "one.dmo");
        host.AddString(IDC_DEMOLIST, "two.dmo");
        host.SetCurSel(IDC_DEMOLIST, 1);
        QWidget* list = host.Control(IDC_DEMOLIST);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Up);
    });
    EXPECT_EQ(events.m_commands, (std::vector<Command>{{IDC_DEMOLIST, kLbnSelChange, 0}}));
    EXPECT_EQ(host.GetCurSel(IDC_DEMOLIST), 0);
}

TEST(QtDialogHost, ComboReportsItsListClosing) {
    LiveHost host(PortDialogTemplate());
    RecordingEvents events;
    RunWith(host, events, [&] {
        host.AddString(IDC_PORTCOMBO, "COM1:");
        auto* combo = qobject_cast<QComboBox*>(host.Control(IDC_PORTCOMBO));
        combo->setFocus(Qt::TabFocusReason);
        combo->showPopup();
        combo->hidePopup();
    });
    EXPECT_EQ(std::count(events.m_commands.begin(), events.m_commands.end(),
                         Command{IDC_PORTCOMBO, kCbnKillFocus, 0}),
              0);
    EXPECT_NE(std::find(events.m_commands.begin(), events.m_commands.end(),
                        Command{IDC_PORTCOMBO, kCbnCloseUp, 0}),
              events.m_commands.end());
}

TEST(QtDialogHost, ComboReportsLosingTheFocusButNotToItsOwnList) {
    LiveHost host;
    RecordingEvents events;
    RunWith(host, events, [&] {
        host.ShowItem(IDC_CMDCOMBO, true);
        host.ShowItem(IDC_SENDCOMMAND, true);
        host.activateWindow();
        QApplication::setActiveWindow(&host);
        auto* combo = qobject_cast<QComboBox*>(host.Control(IDC_CMDCOMBO));
        combo->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        host.Control(IDC_SENDCOMMAND)->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    });
    EXPECT_EQ(std::count(events.m_commands.begin(), events.m_commands.end(),
                         Command{IDC_CMDCOMBO, kCbnKillFocus, 0}),
              1);
}

TEST(QtDialogHost, TimerPeriodsAreClampedAndArmingAnArmedTimerRestartsIt) {
    QtDialogHost host(ConsoleTemplate());
    host.SetTimer(1, 0);
    EXPECT_EQ(host.TimerInterval(1), 10);
    host.SetTimer(2, 0xFFFFFFFFu);
    EXPECT_EQ(host.TimerInterval(2), 0x7FFFFFFF);
    constexpr int kPeriod = 60000;
    host.SetTimer(3, kPeriod);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(host.TimerRemainingMs(3), kPeriod - 250);
    host.SetTimer(3, kPeriod);
    EXPECT_GT(host.TimerRemainingMs(3), kPeriod - 250);
    host.KillTimer(1);
    host.KillTimer(2);
    EXPECT_FALSE(host.IsTimerArmed(1));
    EXPECT_TRUE(host.IsTimerArmed(3));
}

TEST(QtDialogHost, TicksArriveForEachIdAndAKillInsideATickIsSafe) {
    LiveHost host;
    RecordingEvents events;
    events.m_onInit = [](DialogHost& h) {
        h.SetTimer(9, 10);
        h.SetTimer(11, 20);
    };
    events.m_onTick = [&](DialogHost& h, int id) {
        if (id == 9 && std::count(events.m_ticks.begin(), events.m_ticks.end(), 9) == 3) {
            h.KillTimer(9);
        }
        if (std::count(events.m_ticks.begin(), events.m_ticks.end(), 11) >= 2 &&
            std::count(events.m_ticks.begin(), events.m_ticks.end(), 9) >= 3) {
            h.EndDialog(kIdOk);
        }
    };
    EXPECT_EQ(host.RunModal(events), kIdOk);
    EXPECT_EQ(std::count(events.m_ticks.begin(), events.m_ticks.end(), 9), 3);
    EXPECT_GE(std::count(events.m_ticks.begin(), events.m_ticks.end(), 11), 2);
    EXPECT_FALSE(host.IsTimerArmed(11));  // the run's end stops the timers
}

TEST(QtDialogHost, HeadlessMessageBoxAnswersOkAtOnceAndWritesTheLog) {
    std::vector<std::string> logged;
    QtDialogHost host(ConsoleTemplate(), nullptr,
                      [&](const std::string& text) { logged.push_back(text); });
    ASSERT_TRUE(IsHeadlessPlatform());
    EXPECT_EQ(host.MessageBox("Lost connection to printer", "Error", kMbOk), kIdOk);
    EXPECT_EQ(host.MessageBox("line one\r\nline two", "", kMbOk | kMbIconError), kIdOk);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_NE(logged[0].find("Lost connection to printer"), std::string::npos);
    EXPECT_NE(logged[0].find("Error"), std::string::npos);
    EXPECT_NE(logged[1].find("Kestrel"), std::string::npos);  // the empty caption's stand-in
    EXPECT_FALSE(host.IsModalOpen());
}

TEST(QtDialogHost, HeadlessDialogsAnswerCancelWithoutRunning) {
    QtDialogHost host(ConsoleTemplate());
    RecordingEvents inner;
    EXPECT_EQ(host.RunDialog(IDD_PORTDIALOG, inner), kIdCancel);
    EXPECT_EQ(inner.m_inits, 0);
    EXPECT_EQ(host.RunDialog(12345, inner), kIdCancel);
    EXPECT_EQ(host.SaveFileDialog("Rich Text (*.rtf)|*.rtf||"), "");
    EXPECT_EQ(host.OpenFileDialog("Binary (*.bin)|*.bin||", ""), "");
    EXPECT_EQ(host.BrowseForFolder("Kestrel", "."), "");
}

TEST(QtDialogHost, EscapeAndTheCloseBoxReachTheLogicUnlessCancelIsDisabled) {
    LiveHost host(PortDialogTemplate());
    RecordingEvents events;
    RunWith(host, events, [&] {
        QTest::keyClick(&host, Qt::Key_Escape);
        host.close();
        host.EnableItem(kIdCancel, false);
        QTest::keyClick(&host, Qt::Key_Escape);
        host.close();
    });
    EXPECT_EQ(events.m_cancels, 1);
    EXPECT_EQ(events.m_closes, 1);
}

TEST(QtDialogHost, ContextMenuSendsSystemItemsAsSystemCommandsAndOthersAsCommands) {
    LiveHost host;
    RecordingEvents events;
    RunWith(host, events, [&] {
        host.AppendSystemMenuItem(0, "");
        host.AppendSystemMenuItem(kIdmAboutBox, "&About Kestrel...");
        host.ShowMenuItem(ID_SENDBINARYFILE, "Send Binary File...", true);
        ASSERT_EQ(host.MenuEntries().size(), 3u);
        for (const auto& entry : std::vector<QtDialogHost::MenuEntry>(host.MenuEntries())) {
            if (!entry.text.empty()) {
                host.ChooseMenuEntry(entry);
            }
        }
        host.ShowMenuItem(ID_SENDBINARYFILE, "Send Binary File...", false);
        EXPECT_EQ(host.MenuEntries().size(), 2u);
    });
    EXPECT_EQ(events.m_sysCommands, (std::vector<unsigned>{kIdmAboutBox}));
    EXPECT_EQ(events.m_commands, (std::vector<Command>{{ID_SENDBINARYFILE, 0, 0}}));
}

struct ImageCase {
    int id;
    const char* base;
};

class PictureButtonImages : public ::testing::TestWithParam<ImageCase> {};

TEST_P(PictureButtonImages, LoadAllThreeAndTakeTheImagesSize) {
    QtDialogHost host(ConsoleTemplate());
    auto* button = qobject_cast<PictureButton*>(host.Control(GetParam().id));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->SetImages(GetParam().base));
    EXPECT_EQ(button->size(), QSize(120, 70));
    // A disabled button shows its up image even when it has the focus.
    const QImage up = button->CurrentImage().toImage();
    button->setEnabled(false);
    EXPECT_EQ(button->CurrentImage().toImage(), up);
}

INSTANTIATE_TEST_SUITE_P(Buttons, PictureButtonImages,
                         ::testing::Values(ImageCase{IDC_PRINT, "PRINT"},
                                           ImageCase{IDC_COMM, "COMM"},
                                           ImageCase{IDC_COMM, "COMMCLOSE"},
                                           ImageCase{IDC_STATUS, "STATUS"},
                                           ImageCase{IDC_EXITIMAGE, "EXITIMAGE"}),
                         [](const auto& param) { return std::string(param.param.base); });

TEST(QtDialogHost, AMissingImageSetIsReported) {
    QtDialogHost host(ConsoleTemplate());
    EXPECT_FALSE(qobject_cast<PictureButton*>(host.Control(IDC_PRINT))->SetImages("NOSUCH"));
}

// Paints through the logic: the bottom picture stretched into its rectangle, scaled from the
// original font's pixels to ours.
class PaintingEvents : public RecordingEvents {
  public:
    void OnPaint() override { m_host->DrawPicture(PictureSlot::Bottom, kBottomPictureRect); }
};

TEST(QtDialogHost, PicturesAreDrawnStretchedIntoTheirScaledRectangles) {
    testing::ScratchFolder folder;
    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(folder.File("bottom.png"))));
    LiveHost host;
    PaintingEvents events;
    QImage shot;
    RunWith(host, events, [&] {
        EXPECT_FALSE(host.LoadPicture(PictureSlot::Bottom, folder.File("missing.bmp")));
        // A FIFO is never read, and a header claiming 60,000 x 60,000 pixels is not decoded.
        mkfifo(folder.File("fifo.bmp").c_str(), 0600);
        EXPECT_FALSE(host.LoadPicture(PictureSlot::Bottom, folder.File("fifo.bmp")));
        std::string huge = "BM" + std::string(16, '\0');
        const uint32_t header[] = {40, 60000, 60000, 0x180001};
        huge.append(reinterpret_cast<const char*>(header), sizeof header);
        huge.append(60, '\0');
        std::ofstream(folder.File("huge.bmp"), std::ios::binary) << huge;
        EXPECT_FALSE(host.LoadPicture(PictureSlot::Bottom, folder.File("huge.bmp")));
        EXPECT_TRUE(host.LoadPicture(PictureSlot::Bottom, folder.File("bottom.png")));
        shot = host.grab().toImage();
    });
    const QRect target = host.Units().ScaleBasePixels(kBottomPictureRect);
    ASSERT_TRUE(shot.rect().contains(target.center()));
    EXPECT_EQ(QColor(shot.pixel(target.center())), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(target.topLeft() + QPoint(1, 1))), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(target.topLeft() - QPoint(2, 2))), QColor(Qt::red));
}

}  // namespace
}  // namespace kestrel
