// Print, the preview, Browse, Repeat and the binary sender on the fake window. Sending to a
// printer is in TicketSim_test; here the port is closed or a loopback socket.
#include <sys/socket.h>
#include <sys/stat.h>

#include <filesystem>

#include "console/ConsoleGroups.h"
#include "console/ConsoleTexts.h"
#include "console/TicketConsoleFixture.h"
#include "console/TicketFile.h"
#include "console/TicketTexts.h"
#include "console/TimerIds.h"
#include "port/LoopbackPrinter.h"
#include "port/PortTestSupport.h"

namespace kestrel {
namespace {

using testing::FakeDialogHost;
using testing::TicketConsoleTest;

constexpr const char* kMessageCaption = "Message";

class TicketPrintingTest : public TicketConsoleTest {
  protected:
    // Pretends an open port: nothing reaches a printer, so only refusals are tested with it.
    void PretendPortOpen() { m_dlg->m_portOpen = true; }
    int TrafficSent() const { return m_app->m_capture.m_trafficCount; }
};

TEST_F(TicketPrintingTest, PrintOnAClosedPortSaysSoAndChangesNothing) {
    WriteFile("A.dmo", "A\n");
    SelectTicket("A");
    m_host.SetItemText(IDC_MONITORSTATE, "kept");
    m_dlg->OnCommand(IDC_PRINT, kBnClicked);
    ASSERT_EQ(m_host.m_messages.size(), 1u);
    EXPECT_EQ(LastMessage().text, kPortNotOpenedText);
    EXPECT_EQ(LastMessage().caption, kErrorCaption);
    EXPECT_EQ(m_dlg->m_repeatAction, kRepeatNothing);
    EXPECT_EQ(m_host.GetItemText(IDC_MONITORSTATE), "kept");
}

TEST_F(TicketPrintingTest, PrintWithNothingSelectedStillClearsTheBoxesAndRemembersPrint) {
    PretendPortOpen();
    for (const int box : {IDC_MONITORSTATE, IDC_CRITICALDONE, IDC_NONCRITICALDONE}) {
        m_host.SetItemText(box, "old");
    }
    m_host.m_timerCalls.clear();
    m_dlg->OnPrint();
    EXPECT_EQ(LastMessage().text, kSelectTicketText);
    EXPECT_EQ(LastMessage().caption, kMessageCaption);
    EXPECT_NE(AppLog().find(kSelectTicketText), std::string::npos);
    EXPECT_EQ(m_dlg->m_repeatAction, kRepeatPrint);
    EXPECT_EQ(m_dlg->m_logRefreshPending, 1);
    EXPECT_TRUE(m_host.IsTimerArmed(TIMER_LOG_REFRESH));
    for (const int box : {IDC_MONITORSTATE, IDC_CRITICALDONE, IDC_NONCRITICALDONE}) {
        EXPECT_EQ(m_host.GetItemText(box), "");
    }
}

TEST_F(TicketPrintingTest, RefusedTicketsSendNothingAndSayWhyInABoxAndTheLog) {
    struct Case {
        const char* name;
        std::string content;
        PrinterMode mode;
        std::string message;
    };
    const std::string refused = kNotSentSuffix;
    const std::vector<Case> cases = {
        {"long line", std::string(10050, 'A'), PrinterMode::Ventrix,
         "Ticket line 1" + std::string(kLineTooLongText) + refused},
        {"long packet", "A\n" + std::string(300, 'B'), PrinterMode::Ventrix,
         "Ticket line 2" + std::string(kLineTooLongForPacketText) + refused},
        {"utf16", std::string("\xFF\xFE<\0A\0>\0", 8), PrinterMode::Smart,
         std::string(kTicketHoldsNulText) + refused},
        {"empty", "", PrinterMode::Normal, std::string(kTicketEmptyText) + refused},
        {"ten thousand", std::string(10000, 'x'), PrinterMode::SerialPacket,
         std::string(kTicketTooLongText) + refused},
    };
    PretendPortOpen();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(std::string(c.name) + ".dmo", c.content);
        SelectTicket(c.name);
        SetMode(c.mode);
        m_dlg->OnPrint();
        EXPECT_EQ(LastMessage().text, c.message);
        EXPECT_EQ(LastMessage().caption, kMessageCaption);
        EXPECT_NE(AppLog().find(c.message), std::string::npos);
        EXPECT_EQ(TrafficSent(), 0);
        EXPECT_FALSE(m_host.IsTimerArmed(TIMER_MONITOR));
        EXPECT_FALSE(m_dlg->IsSending());
    }
}

TEST_F(TicketPrintingTest, ATicketGoneSinceListingOrNotAFileIsNotFound) {
    WriteFile("Gone.dmo", "A\n");
    WriteFile("Fifo.dmo", "A\n");
    WriteFile("Folder.dmo", "A\n");
    m_dlg->FillDemoList();
    std::filesystem::remove("Gone.dmo");
    std::filesystem::remove("Fifo.dmo");
    ASSERT_EQ(mkfifo("Fifo.dmo", 0600), 0);  // must not hang the console
    std::filesystem::remove("Folder.dmo");
    ASSERT_EQ(mkdir("Folder.dmo", 0700), 0);
    PretendPortOpen();
    for (const PrinterMode mode : {PrinterMode::Ventrix, PrinterMode::Normal}) {
        for (const char* title : {"Gone", "Fifo", "Folder"}) {
            SCOPED_TRACE(title);
            SetMode(mode);
            m_host.SetCurSel(IDC_DEMOLIST, m_host.FindStringExact(IDC_DEMOLIST, -1, title));
            m_dlg->OnPrint();
            EXPECT_EQ(LastMessage().text, kTicketNotFoundText);
        }
    }
    EXPECT_EQ(TrafficSent(), 0);
}

TEST_F(TicketPrintingTest, DemoListHoldsTheFirst500TicketsSorted) {
    for (int i = 599; i >= 0; --i) {
        WriteFile((i % 3 == 0 ? "Ticket " : "ticket ") + std::to_string(1000 + i) + ".dmo", "x");
    }
    WriteFile("\xC4rger \xFE.dmo", "x");  // a name that is not UTF-8 stays as its bytes
    WriteFile("upper.DMO", "x");
    ASSERT_EQ(mkdir("A folder.dmo", 0700), 0);  // only files are tickets
    ASSERT_EQ(mkfifo("A fifo.dmo", 0600), 0);
    m_dlg->FillDemoList();
    ASSERT_EQ(m_host.GetCount(IDC_DEMOLIST), 500);
    EXPECT_EQ(m_host.GetItemString(IDC_DEMOLIST, 0), "Ticket 1000");
    EXPECT_EQ(m_host.GetItemString(IDC_DEMOLIST, 1), "ticket 1001");
    EXPECT_EQ(m_host.GetItemString(IDC_DEMOLIST, 499), "ticket 1499");
    EXPECT_NE(AppLog().find("holds 601 tickets; the first 500 are listed"), std::string::npos);

    // Browse to a folder with the odd name in it: the list is refilled from there.
    std::filesystem::create_directory("other");
    WriteFile("other/\xC4rger \xFE.dmo", "x");
    m_host.m_folderAnswer = std::filesystem::absolute("other").string();
    m_dlg->OnCommand(IDC_BROWSE, kBnClicked);
    EXPECT_EQ(m_host.m_folderTitles, std::vector<std::string>{"Kestrel"});
    ASSERT_EQ(m_host.GetCount(IDC_DEMOLIST), 1);
    EXPECT_EQ(m_host.GetItemString(IDC_DEMOLIST, 0), "\xC4rger \xFE");
    EXPECT_EQ(std::filesystem::current_path().filename(), "other");

    // Its ticket prints from the new folder by its raw name.
    SelectTicket("\xC4rger \xFE");
    PretendPortOpen();
    SetMode(PrinterMode::Normal);
    m_dlg->OnPrint();
    EXPECT_NE(LastMessage().text, kTicketNotFoundText);

    // Cancelled: the same folder, listed again.
    WriteFile("second.dmo", "x");
    m_host.m_folderAnswer.clear();
    m_dlg->OnBrowse();
    EXPECT_EQ(m_host.GetCount(IDC_DEMOLIST), 2);
    EXPECT_EQ(std::filesystem::current_path().filename(), "other");
}

TEST_F(TicketPrintingTest, PreviewShowsTheTicketsPictureOrNoPreview) {
    WriteFile("Alpha.dmo", "x");
    WriteFile("Beta.dmo", "x");
    WriteFile("Huge.dmo", "x");
    WriteFile("Piped.dmo", "x");
    WriteFile("Alpha.bmp", "BM");
    WriteFile("Huge.bmp", "BM claims 60000 x 60000");
    WriteFile("NoPreview.bmp", "BM");
    ASSERT_EQ(mkfifo("Piped.bmp", 0600), 0);
    // The host reads Alpha.bmp and NoPreview.bmp; it refuses the huge one as the Qt host must.
    m_host.m_loadablePictures = {"Alpha.bmp", "NoPreview.bmp", "Piped.bmp"};
    struct Case {
        const char* title;
        std::string shown;
    };
    for (const Case& c : {Case{"Alpha", "Alpha.bmp"}, Case{"Beta", "NoPreview.bmp"},
                          Case{"Huge", "NoPreview.bmp"}, Case{"Piped", "NoPreview.bmp"}}) {
        SCOPED_TRACE(c.title);
        SelectTicket(c.title);
        m_host.m_pictureLoads.clear();
        m_host.m_invalidated.clear();
        m_dlg->OnCommand(IDC_DEMOLIST, kLbnSelChange);
        EXPECT_EQ(m_host.m_pictures[PictureSlot::Preview], c.shown);
        ASSERT_EQ(m_host.m_invalidated.size(), 1u);
        EXPECT_EQ(m_host.m_invalidated[0], kPreviewRect);
        // A FIFO is never handed to the picture loader.
        for (const std::string& loaded : m_host.m_pictureLoads) {
            EXPECT_NE(loaded, "Piped.bmp");
        }
    }
    // Neither picture readable: the area shows nothing, not the last ticket's picture.
    m_host.m_loadablePictures.clear();
    SelectTicket("Alpha");
    m_dlg->OnDemoSelectionChange();
    EXPECT_EQ(m_host.m_pictures.count(PictureSlot::Preview), 0u);
    // No selection: nothing happens.
    m_host.m_selection.erase(IDC_DEMOLIST);
    m_host.m_invalidated.clear();
    m_dlg->OnDemoSelectionChange();
    EXPECT_TRUE(m_host.m_invalidated.empty());
}

TEST_F(TicketPrintingTest, RepeatBoxArmsTheRepeatTimerWithTheIntervalThenStopsIt) {
    m_host.SetItemText(IDC_REPEATINTERVAL, "1000");
    m_host.CheckButton(IDC_REPEAT, 1);
    m_dlg->OnCommand(IDC_REPEAT, kBnClicked);
    ASSERT_TRUE(m_host.IsTimerArmed(TIMER_REPEAT));
    EXPECT_EQ(m_host.m_timers[TIMER_REPEAT], 1000u);
    m_host.SetItemText(IDC_REPEATINTERVAL, "5");  // read only when the box is clicked
    EXPECT_EQ(m_host.m_timers[TIMER_REPEAT], 1000u);
    m_host.CheckButton(IDC_REPEAT, 0);
    m_dlg->OnRepeatCheck();
    EXPECT_FALSE(m_host.IsTimerArmed(TIMER_REPEAT));
}

TEST_F(TicketPrintingTest, WhileSendingPrintAndTheBinarySenderDoNothing) {
    m_dlg->m_sending = true;
    m_host.m_openFileAnswer = "whatever.bin";
    m_dlg->OnPrint();
    m_dlg->OnCommand(ID_SENDBINARYFILE, 0);
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_TRUE(m_host.m_fileDialogFilters.empty());
    EXPECT_EQ(m_dlg->m_repeatAction, kRepeatNothing);
    std::string error;
    EXPECT_EQ(m_dlg->SendTicketLines("x.dmo", false, &error), 0);
    EXPECT_EQ(error, kAlreadySendingText);
    EXPECT_EQ(m_dlg->SendTicketWhole("x.dmo", &error), 0);
    m_dlg->m_sending = false;
}

TEST_F(TicketPrintingTest, BinarySenderAsksForAFileAndRefusesOneTooLong) {
    m_dlg->OnCommand(ID_SENDBINARYFILE, 0);  // cancelled
    EXPECT_EQ(
        m_host.m_fileDialogFilters,
        std::vector<std::string>{"Binary file    (*.bin)|*.bin|Other Binary file    (*.*)|*.*||"});
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_EQ(m_dlg->m_logRefreshPending, 1);

    WriteFile("big.bin", std::string(kBinaryFileMaxBytes + 1, 'b'));
    m_host.m_openFileAnswer = "big.bin";
    m_dlg->OnSendBinaryFile();
    EXPECT_EQ(LastMessage().text, kBinaryTooLongText);
    EXPECT_EQ(TrafficSent(), 0);

    // On a closed port the write falls short.
    WriteFile("small.bin", "abc");
    m_host.m_openFileAnswer = "small.bin";
    m_dlg->OnSendBinaryFile();
    EXPECT_EQ(LastMessage().text, kWriteToDeviceErrorText);
    EXPECT_EQ(LastMessage().caption, kAppName);
}

// The binary sender on a loopback socket whose sends can be cut short.
class BinarySenderTest : public TicketPrintingTest {
  protected:
    BinarySenderTest() { m_environment.sys = &m_sys; }
    void SetUp() override {
        TicketPrintingTest::SetUp();
        OpenPort(m_printer.Address());
        ASSERT_TRUE(m_printer.Accept());
    }
    testing::ScriptedSystemCalls m_sys;
    testing::LoopbackPrinter m_printer;
};

TEST_F(BinarySenderTest, SerialPacketsCountTheirFramingSoAShortWriteIsNoticed) {
    SetMode(PrinterMode::SerialPacket);
    WriteFile("two.bin", std::string(4096 + 10, 'q'));
    m_host.m_openFileAnswer = "two.bin";
    m_dlg->OnSendBinaryFile();
    EXPECT_TRUE(m_host.m_messages.empty());
    EXPECT_EQ(m_printer.Receive(4096 + 7 + 10 + 7).size(), 4096u + 7 + 10 + 7);

    // The last 3 of the 17 bytes of a packet stay behind: fewer than its 7 bytes of framing.
    m_sys.onSend = [](int fd, const void* bytes, size_t size) -> std::optional<ssize_t> {
        return send(fd, bytes, size - 3, MSG_NOSIGNAL);
    };
    m_dlg->OnSendBinaryFile();
    EXPECT_EQ(LastMessage().text,
              std::string(kWriteToDeviceErrorText) +
                  "\r\nIOComm::Output() failed, GetLastError() returned: 0 (the "
                  "port took no byte)");
    EXPECT_EQ(LastMessage().caption, kAppName);
}

TEST_F(BinarySenderTest, VentrixLinesGoOutAsPacketsAndStartTheMonitor) {
    SetMode(PrinterMode::Ventrix);
    m_app->m_sequence.m_sequenceBitsDisabled = 1;
    m_dlg->m_monitorEnabled = 1;
    WriteFile("lines.bin", std::string("\x02\x05[ESC]\r\n\n\x02\x05", 12) + "\xFF\n");
    m_host.m_openFileAnswer = "lines.bin";
    m_dlg->OnSendBinaryFile();
    EXPECT_TRUE(m_host.m_messages.empty());
    const std::string received = m_printer.Receive(10 + 6);
    ASSERT_EQ(received.size(), 16u);
    EXPECT_EQ(received.substr(0, 8), std::string("\x02\x05\x0A[ESC]", 8));  // unconverted
    EXPECT_EQ(received.substr(10, 4), "\x02\x05\x06\xFF");
    EXPECT_EQ(m_host.m_dispatches, 2 * 22);
    EXPECT_TRUE(m_host.IsTimerArmed(TIMER_MONITOR));
    EXPECT_EQ(m_dlg->m_monitorState, kMonitorWaitingBusy);
}

}  // namespace
}  // namespace kestrel
