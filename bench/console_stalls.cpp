// The console's own thread while its printer misbehaves: a 5 ms probe timer on that thread
// records the longest gap between its ticks over the run, in one fault case at a time:
//   stalled   a printer that takes the connection and then reads nothing: a burst of Ventrix
//             packets (as a ticket sends them), then polled every 100 ms
//   vanished  the serial port is a pseudo-terminal whose far end closes after 5 s, polled
//             every 100 ms
//   connect   COMM against an address whose queue of connections is full (the 5 s connect
//             limit); also the longest gap between the window's paints during that wait
//   noise     a printer sending a status packet every 100 ms, with one stray byte after 5 s;
//             also how many packets were shown after it
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/console_stalls CASE SECONDS

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "HarnessSupport.h"
#include "TickGapProbe.h"
#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "platform/SettingsKey.h"
#include "status/StatusPacket.h"
#include "status/VentrixPacket.h"
#include "support/ConsoleDoubles.h"
#include "support/LoopbackListener.h"
#include "support/PseudoTerminal.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr int kProbeMs = 5;
// The port is opened once the window is up and the probe has started.
constexpr int kOpenAfterMs = 500;
constexpr int kFaultAfterMs = 5000;
constexpr int kPacketPeriodMs = 100;
constexpr int kBurstPackets = 30;
// The "Paper Jam" box, which the noisy printer's packets turn on and off.
constexpr int kPaperJamBox = 1089;
constexpr qint64 kMillisecondsPerSecond = 1000;

// Counts the gaps between the window's paints while `active` is set.
class PaintProbe : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (active && event->type() == QEvent::Paint) {
            gaps.Tick();
            ++count;
        }
        return QObject::eventFilter(watched, event);
    }
    bool active = false;
    int count = 0;
    bench::TickGapProbe gaps;
};

// A printer on loopback that sends a status packet every 100 ms, Paper Jam on every other one,
// and one stray byte once the fault time has come.
class NoisyPrinter {
  public:
    NoisyPrinter() : m_listener(testing::ListenOnLoopback(1, &m_port)) {
        m_thread = std::thread([this] { Run(); });
    }
    ~NoisyPrinter() {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

  private:
    void Run() {
        const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        const std::string identity = "V60|1.00|0001|";
        for (int packet = 0; !m_stop; ++packet) {
            std::vector<uint8_t> payload(identity.begin(), identity.end());
            for (const int status : {0x00, 0x00, 0x00, packet % 2 == 0 ? 0x02 : 0x00, 0x00}) {
                payload.push_back(static_cast<uint8_t>(status));
                payload.push_back(0x00);
            }
            std::vector<uint8_t> bytes = BuildVentrixPacket(kStatusPacketType, payload);
            if (packet == kFaultAfterMs / kPacketPeriodMs) {
                bytes.insert(bytes.begin(), 0xAA);
            }
            send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(kPacketPeriodMs));
        }
        close(connection);
    }

    uint16_t m_port = 0;
    int m_listener;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

void Click(CKestrelDlg& console, int id) {
    console.OnCommand(id, kBnClicked);
}

void StartPolling(QtDialogHost& host, CKestrelDlg& console) {
    host.SetItemText(IDC_POLLCOMBO, "<0x02><0x12>");
    host.SetItemText(IDC_POLLINTERVAL, std::to_string(kPacketPeriodMs));
    Click(console, IDC_POLLBUTTON);
}

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
    using namespace kestrel;
    if (argc != 3) {
        std::fprintf(stderr, "usage: console_stalls stalled|vanished|connect|noise SECONDS\n");
        return 2;
    }
    const std::string faultCase = argv[1];
    const int seconds = std::atoi(argv[2]);
    const std::filesystem::path folder = bench::EnterScratchFolder("kestrel-stalls");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QApplication application(argc, argv);
    int exitCode = 0;
    {
        uint16_t deafPort = 0;
        const int deafListener =
            faultCase == "stalled" ? testing::ListenWithoutReading(&deafPort) : -1;
        auto pty = std::make_unique<testing::PseudoTerminal>();
        std::unique_ptr<testing::FullListener> full;
        std::unique_ptr<NoisyPrinter> noisy;
        std::string address;
        if (faultCase == "stalled") {
            address = "127.0.0.1:" + std::to_string(deafPort);
        } else if (faultCase == "vanished") {
            auto key = SettingsKey::Open(SettingsKey::DefaultPath(), SettingsAccess::Create);
            key->SetString("COM5", pty->SlavePath().c_str(), pty->SlavePath().size() + 1);
            address = "COM5";
        } else if (faultCase == "connect") {
            full = std::make_unique<testing::FullListener>();
            address = full->Address();
        } else if (faultCase == "noise") {
            noisy = std::make_unique<NoisyPrinter>();
            address = noisy->Address();
        } else {
            std::fprintf(stderr, "console_stalls: unknown case %s\n", faultCase.c_str());
            return 2;
        }

        CKestrelApp app({"ventrix"});
        QtDialogHost host(ConsoleTemplate());
        testing::UnchangedPriority priority;
        CKestrelDlg console(app, priority);
        app.m_console = &console;
        bench::TickGapProbe probe;
        // From the fault to a second after the console closed the port.
        bench::TickGapProbe faultProbe;
        const qint64 faultFromMs = faultCase == "vanished" ? kFaultAfterMs : kOpenAfterMs;
        PaintProbe paints;
        host.installEventFilter(&paints);
        QTimer probeTimer;
        int jamChangesAfterNoise = 0;
        int lastJam = -1;
        bool wasOpen = false;
        qint64 closedAtMs = -1;
        QObject::connect(&probeTimer, &QTimer::timeout, [&] {
            probe.Tick();
            if (wasOpen && !console.m_portOpen && closedAtMs < 0) {
                closedAtMs = probe.NowMs();
            }
            wasOpen = console.m_portOpen;
            if (probe.NowMs() >= faultFromMs &&
                (closedAtMs < 0 || probe.NowMs() <= closedAtMs + kMillisecondsPerSecond)) {
                faultProbe.Tick();
            }
            const int jam = host.IsButtonChecked(kPaperJamBox);
            if (probe.NowMs() > kFaultAfterMs + kPacketPeriodMs && lastJam >= 0 && jam != lastJam) {
                ++jamChangesAfterNoise;
            }
            lastJam = jam;
        });
        QTimer sender;
        int burst = 0;
        QObject::connect(&sender, &QTimer::timeout, [&] {
            if (++burst > kBurstPackets) {
                sender.stop();
                return;
            }
            Click(console, IDC_SENDCOMMAND);
        });
        probeTimer.start(kProbeMs);
        QTimer::singleShot(kOpenAfterMs, [&] {
            host.CheckButton(IDC_VENTRIXMODE, 1);
            Click(console, IDC_VENTRIXMODE);
            app.m_portName = address;
            paints.active = true;
            Click(console, IDC_COMM);
            paints.active = false;
            if (!console.m_portOpen && faultCase != "connect") {
                std::fprintf(stderr, "console_stalls: cannot open %s\n", address.c_str());
                exitCode = 1;
                host.EndDialog(kIdCancel);
                return;
            }
            if (faultCase == "stalled") {
                host.SetItemText(IDC_CMDCOMBO, "<0x02><0x04>" + std::string(240, 'A'));
                sender.start(kPacketPeriodMs);
            }
            if (faultCase == "stalled" || faultCase == "vanished") {
                StartPolling(host, console);
            }
        });
        QTimer::singleShot(kFaultAfterMs, [&] {
            if (faultCase == "vanished") {
                pty.reset();
            }
        });
        QTimer::singleShot(seconds * 1000, [&] {
            std::printf("case %s seconds %d\n", faultCase.c_str(), seconds);
            std::printf("longest_tick_gap_ms %lld ending_at_s %.1f\n",
                        static_cast<long long>(probe.Longest()),
                        static_cast<double>(probe.LongestEndedMs()) / 1000.0);
            if (faultCase == "connect") {
                std::printf("paints_while_connecting %d longest_gap_between_them_ms %lld\n",
                            paints.count, static_cast<long long>(paints.gaps.Longest()));
            }
            if (faultCase == "noise") {
                std::printf("jam_box_changes_after_noise %d\n", jamChangesAfterNoise);
            }
            std::printf("port_open_at_end %d\n", console.m_portOpen ? 1 : 0);
            if (closedAtMs >= 0) {
                std::printf("longest_tick_gap_from_fault_to_1s_after_close_ms %lld\n",
                            static_cast<long long>(faultProbe.Longest()));
                std::printf("port_closed_at_s %.1f: %s\n", static_cast<double>(closedAtMs) / 1000.0,
                            app.m_ioComm.m_lastError.c_str());
            }
            host.EndDialog(kIdCancel);
        });
        host.RunModal(console);
        app.m_console = nullptr;
        if (deafListener >= 0) {
            close(deafListener);
        }
    }
    std::filesystem::remove_all(folder);
    return exitCode;
}
