// The modem lines panel and the reconnect wait on the real window: the lamps light as the lines
// a USB adapter reports (given through the system-call seam; a pseudo-terminal has none), a
// click on DTR reaches the port, the context menu's choice carries a check mark, and the wait for
// a printer that closed shows on the identity line. With KESTREL_SCREENSHOT_DIR set, both are
// saved as PNGs.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "console/ModemLines.h"
#include "console/TimerIds.h"
#include "port/PortTestSupport.h"
#include "support/ConsoleDoubles.h"
#include "support/ConsoleTestFixture.h"
#include "support/FakeClock.h"
#include "support/LoopbackListener.h"
#include "support/PseudoTerminal.h"
#include "support/ScratchFolder.h"
#include "ui/ModemLinePanel.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

class ModemLinePanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder.UseAsSettings();
        m_folder.EnterAsCurrentDirectory();
    }
    testing::ScratchFolder m_folder;
    testing::ScopedVariable m_dataHome{"XDG_DATA_HOME", m_folder.File("data")};
    // The console with its panel on `portName`, port opened and Debug Mode on.
    void RunConsole(const std::string& portName,
                    const std::function<void(QtDialogHost&, CKestrelDlg&)>& inside) {
        PortEnvironment environment;
        environment.sys = &m_sys;
        CKestrelApp app({}, m_clock, environment);
        app.m_portName = portName;
        QtDialogHost host(ConsoleTemplate());
        ModemLinePanel panel(host);
        testing::UnchangedPriority priority;
        CKestrelDlg console(app, priority);
        QTimer::singleShot(0, &host, [&] {
            host.show();
            Button(host, IDC_DEBUGMODE)->click();
            console.OnCommButton();
            EXPECT_TRUE(console.m_portOpen) << app.m_ioComm.m_lastError;
            inside(host, console);
            host.EndDialog(kIdOk);
        });
        host.RunModal(console);
    }
    static QAbstractButton* Button(QtDialogHost& host, int id) {
        return qobject_cast<QAbstractButton*>(host.Control(id));
    }
    static QImage Shot(QtDialogHost& host, const char* name) {
        QApplication::processEvents();
        const QImage image = host.grab().toImage();
        if (const char* folder = std::getenv("KESTREL_SCREENSHOT_DIR")) {
            image.save(QString::fromLocal8Bit(folder) + "/" + name);
        }
        return image;
    }
    // How green the middle of a lamp's round is.
    static int Greenness(QtDialogHost& host, const QImage& image, int id) {
        const QWidget* lamp = host.Control(id);
        const QPoint centre = lamp->mapTo(&host, QPoint(lamp->height() / 2, lamp->height() / 2));
        const QColor colour = image.pixelColor(centre);
        return colour.green() - (colour.red() + colour.blue()) / 2;
    }

    testing::FakeClock m_clock;
    testing::ScriptedSystemCalls m_sys;
};

TEST_F(ModemLinePanelTest, LampsShowTheLinesAndDtrReachesThePort) {
    testing::PseudoTerminal pty;
    ASSERT_TRUE(testing::MapPortName(SettingsKey::DefaultPath(), "COM5", pty.SlavePath()));
    int cleared = 0;
    m_sys.onIoctl = [&](int, unsigned long request, void* argument) -> std::optional<int> {
        if (request == TIOCMGET) {
            *static_cast<int*>(argument) = TIOCM_CTS | TIOCM_CAR | TIOCM_DTR;
            return 0;
        }
        if (request == TIOCMBIC) {
            cleared = *static_cast<int*>(argument);
            return 0;
        }
        return std::nullopt;
    };
    RunConsole("COM5", [&](QtDialogHost& host, CKestrelDlg& console) {
        console.OnTimer(TIMER_STATUS_READ);
        const QImage image = Shot(host, "modem-lines.png");
        EXPECT_TRUE(host.Control(IDC_MODEMLINES)->isVisible());
        EXPECT_GT(Greenness(host, image, IDC_LINECTS), 60);
        EXPECT_GT(Greenness(host, image, IDC_LINEDCD), 60);
        EXPECT_LT(Greenness(host, image, IDC_LINEDSR), 20);
        EXPECT_LT(Greenness(host, image, IDC_LINERI), 20);
        EXPECT_TRUE(Button(host, IDC_LINEDTR)->isChecked());
        EXPECT_TRUE(Button(host, IDC_LINERTS)->isEnabled());
        QTest::mouseClick(Button(host, IDC_LINEDTR), Qt::LeftButton, {},
                          QPoint(4, Button(host, IDC_LINEDTR)->height() / 2));
        EXPECT_EQ(cleared, TIOCM_DTR);
    });
}

TEST_F(ModemLinePanelTest, TheWaitForAPrinterThatClosedIsShown) {
    uint16_t port = 0;
    const int listener = testing::ListenOnLoopback(4, &port);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    RunConsole(address, [&](QtDialogHost& host, CKestrelDlg& console) {
        const auto reconnectEntry = [&] {
            for (const QtDialogHost::MenuEntry& entry : host.MenuEntries()) {
                if (entry.commandId == ID_RECONNECTAUTOMATICALLY) {
                    return entry;
                }
            }
            return QtDialogHost::MenuEntry{0, "", false};
        };
        EXPECT_EQ(reconnectEntry().checked, 0);
        host.ChooseMenuEntry(reconnectEntry());
        EXPECT_EQ(reconnectEntry().checked, 1);
        close(accept(listener, nullptr, nullptr));
        close(listener);
        console.OnTimer(TIMER_STATUS_READ);
        console.OnTimer(TIMER_RECONNECT);
        EXPECT_TRUE(console.m_waitingForPort);
        EXPECT_EQ(host.GetItemText(IDC_INFOLINE1), "Waiting for " + address + " to come back ...");
        EXPECT_EQ(host.GetItemText(IDC_INFOLINE2), address + " refused the connection");
        Shot(host, "reconnect-waiting.png");
    });
}

}  // namespace
}  // namespace kestrel
