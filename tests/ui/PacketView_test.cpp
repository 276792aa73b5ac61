// The packet view beside the real console on the Qt host, and playback of a recording: rows,
// filter, CSV export, a chosen row's bytes selected in the log pane, the status boxes at the
// chosen row. With KESTREL_SCREENSHOT_DIR set, the windows are saved as PNGs.
#include <gtest/gtest.h>

#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "packets/PacketTestSupport.h"
#include "packets/RecordingReader.h"
#include "status/PrinterMode.h"
#include "support/ConsoleDoubles.h"
#include "support/FakeClock.h"
#include "support/ScratchFolder.h"
#include "ui/CRichtextctrl1.h"
#include "ui/PacketTableModel.h"
#include "ui/PacketViewPanel.h"
#include "ui/PlaybackWindow.h"
#include "ui/QtDialogHost.h"
#include "ui/SessionPackets.h"

namespace kestrel {
namespace {

constexpr int kVentrix = static_cast<int>(PrinterMode::Ventrix);
constexpr int kPaperJam = 1089;

void Screenshot(QWidget& widget, const char* name) {
    if (const char* folder = std::getenv("KESTREL_SCREENSHOT_DIR")) {
        widget.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
    }
}

// Bytes through the recording point as Receive and Transmit pass them.
void Pass(CKestrelApp& app, const std::vector<uint8_t>& bytes, int direction) {
    for (const uint8_t byte : bytes) {
        app.m_capture.Record(byte, app.GetClock().GetTickCount(), direction);
    }
    app.m_trafficObserver->OnTraffic(
        bytes.data(), static_cast<int>(bytes.size()), direction, app.m_printerMode,
        direction == TrafficSent ? TrafficFraming::Ventrix : TrafficFraming::None);
}

// A byte's cell in the hexadecimal log: "7E..".
std::string LastCell(const std::vector<uint8_t>& bytes) {
    char cell[8];
    std::snprintf(cell, sizeof cell, "%02X..", bytes.back());
    return cell;
}

class PacketViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder.UseAsSettings();
        m_folder.EnterAsCurrentDirectory();
        const char* state = std::getenv("XDG_STATE_HOME");
        m_previousState = state != nullptr ? state : "";
        setenv("XDG_STATE_HOME", m_folder.Path().c_str(), 1);
    }
    void TearDown() override {
        if (m_previousState.empty()) {
            unsetenv("XDG_STATE_HOME");
        } else {
            setenv("XDG_STATE_HOME", m_previousState.c_str(), 1);
        }
    }
    // A Ventrix session: polls, replies (one with a bad CRC) and a Smart record in between.
    void Session(CKestrelApp& app) {
        app.m_printerMode = kVentrix;
        for (int i = 0; i < 6; ++i) {
            Pass(app, BuildVentrixPacket(0x52, {}), TrafficSent);
            std::vector<uint8_t> reply = testing::StatusPacket({i == 3 ? kPaperJam : 1077});
            if (i == 4) {
                reply.back() ^= 1;
            }
            Pass(app, reply, TrafficReceived);
        }
    }

    testing::ScratchFolder m_folder;
    testing::FakeClock m_clock;
    std::string m_previousState;
};

TEST_F(PacketViewTest, RowsFilterExportAndTheChosenRowsBytesSelectedInTheLogPane) {
    CKestrelApp app({"ventrix"}, m_clock);
    QtDialogHost host(ConsoleTemplate());
    SessionPackets packets(app, host);
    testing::UnchangedPriority priority;
    CKestrelDlg console(app, priority);
    std::string recording;
    QTimer::singleShot(0, &host, [&] {
        host.CheckButton(IDC_DEBUGMODE, 1);
        console.OnCommand(IDC_DEBUGMODE, kBnClicked);
        host.CheckButton(IDC_HEX, 1);
        host.CheckButton(IDC_TEXT, 0);
        console.OnCommand(IDC_HEX, kBnClicked);
        Session(app);
        app.RenderCommLog(1);
        packets.ShowView(true);
        packets.Tick();
        PacketViewPanel& panel = packets.Panel();
        PacketTableModel& model = panel.Model();
        ASSERT_EQ(model.rowCount(), 13);  // the mode, then six polls and replies
        EXPECT_EQ(model.data(model.index(10, PacketTableModel::Computed), Qt::DisplayRole)
                      .toString()
                      .endsWith(" mismatch"),
                  true);
        EXPECT_EQ(model.data(model.index(8, PacketTableModel::Computed), Qt::DisplayRole), "30DC");

        // The reply with the jam: its 25 bytes are the record's cells in the received row.
        panel.ChooseStoreRow(8);
        auto* pane = dynamic_cast<CRichtextctrl1*>(host.LogPane());
        ASSERT_NE(pane, nullptr);
        const std::string selected = pane->SelectedText();
        EXPECT_EQ(selected.substr(0, 4), "02..");
        EXPECT_EQ(selected.substr(selected.size() - 4),
                  LastCell(testing::StatusPacket({kPaperJam})));
        Screenshot(panel, "packet-view");
        Screenshot(host, "packet-view-console");

        PacketFilter received;
        received.sent = false;
        panel.SetFilter(received);
        EXPECT_EQ(model.rowCount(), 7);  // the mode row stays
        QString error;
        ASSERT_TRUE(panel.ExportCsv(QString::fromStdString(m_folder.File("view.csv")), &error));
        recording = packets.Recording().Path();
        host.EndDialog(kIdOk);
    });
    host.RunModal(console);

    PacketStore exported;
    ASSERT_TRUE(ReadRecording(m_folder.File("view.csv"), exported).read);
    EXPECT_EQ(exported.RowCount(), 7u);
    EXPECT_EQ(testing::RowText(exported, 6), "R Ventrix: Status: Printer Busy");
    EXPECT_NE(recording.find(m_folder.Path() + "/Norvane/Kestrel/recordings/"), std::string::npos);
}

TEST_F(PacketViewTest, PlaybackShowsTheStatusBoxesAndTheLogPaneAtTheChosenRow) {
    std::string recording;
    {
        CKestrelApp app({"ventrix"}, m_clock);
        QtDialogHost host(ConsoleTemplate());
        SessionPackets packets(app, host);
        Session(app);
        recording = packets.Recording().Path();
    }
    PlaybackWindow playback(recording);
    ASSERT_TRUE(playback.Error().empty()) << playback.Error();
    QTimer::singleShot(0, &playback.Host(), [&] {
        playback.ChooseRow(8);
        EXPECT_EQ(playback.Host().IsButtonChecked(kPaperJam), 1);
        EXPECT_EQ(playback.Host().IsButtonChecked(IDC_VENTRIXMODE), 1);
        auto* pane = dynamic_cast<CRichtextctrl1*>(playback.Host().LogPane());
        EXPECT_EQ(pane->SelectedText().substr(0, 4), "02..");
        Screenshot(playback.Panel(), "playback-packets");
        Screenshot(playback.Host(), "playback-console");
        playback.ChooseRow(10);  // a bad CRC changes nothing
        EXPECT_EQ(playback.Host().IsButtonChecked(kPaperJam), 1);
        playback.ChooseRow(12);  // the next good reply: the jam has cleared
        EXPECT_EQ(playback.Host().IsButtonChecked(kPaperJam), 0);
        playback.Host().EndDialog(kIdOk);
    });
    EXPECT_EQ(playback.Run(), 0);

    testing::ScratchFolder other;
    std::ofstream(other.File("cut.csv")) << "not a recording\n";
    PlaybackWindow refused(other.File("cut.csv"));
    EXPECT_NE(refused.Error().find("not a Kestrel session recording"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
