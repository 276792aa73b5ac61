// The console with "Reconnect automatically" on, on its real timers, while the printer does not
// come back, in one case at a time:
//   closing   a printer that accepts every connection and closes it at once
//   unanswered an address whose queue of connections is full, so no attempt is answered
//   refused   an address nobody listens on
// It reports the attempts made a second (the printer's side counts the connections it saw, or
// the console's log its reasons), the CPU the console used a second, and the longest gap between
// ticks of a 5 ms probe timer on the console's thread (how long the window was held).
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/console_reconnect CASE SECONDS

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "HarnessSupport.h"
#include "TickGapProbe.h"
#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "support/ConsoleDoubles.h"
#include "support/LoopbackListener.h"
#include "support/SimProcess.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr int kProbeMs = 5;
constexpr int kOpenAfterMs = 300;

// Accepts every connection and closes it at once, counting them.
class ClosingPrinter {
  public:
    ClosingPrinter() : m_listener(testing::ListenOnLoopback(16, &m_port)) {
        m_thread = std::thread([this] {
            while (!m_stop) {
                pollfd entry{m_listener, POLLIN, 0};
                if (poll(&entry, 1, 20) > 0) {
                    close(accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC));
                    ++m_connections;
                }
            }
        });
    }
    ~ClosingPrinter() {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
    int Connections() const { return m_connections; }

  private:
    uint16_t m_port = 0;
    int m_listener;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
    using namespace kestrel;
    if (argc != 3) {
        std::fprintf(stderr, "usage: console_reconnect closing|unanswered|refused SECONDS\n");
        return 2;
    }
    const std::string faultCase = argv[1];
    const int seconds = std::atoi(argv[2]);
    const std::filesystem::path folder = bench::EnterScratchFolder("kestrel-reconnect");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    {
        auto closing = std::make_unique<ClosingPrinter>();
        std::unique_ptr<testing::FullListener> full;
        std::string lostAddress;  // where the port goes once it is open
        if (faultCase == "unanswered") {
            full = std::make_unique<testing::FullListener>();
            lostAddress = full->Address();
        } else if (faultCase == "refused") {
            lostAddress = testing::RefusingLoopbackAddress();
        } else if (faultCase != "closing") {
            std::fprintf(stderr, "console_reconnect: unknown case %s\n", faultCase.c_str());
            return 2;
        }
        CKestrelApp app({});
        QtDialogHost host(ConsoleTemplate());
        testing::UnchangedPriority priority;
        CKestrelDlg console(app, priority);
        QElapsedTimer clock;
        bench::TickGapProbe gaps;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] { gaps.Tick(); });
        double cpuAtStart = 0;
        QTimer::singleShot(kOpenAfterMs, [&] {
            console.OnCommand(ID_RECONNECTAUTOMATICALLY, 0);
            app.m_portName = closing->Address();
            console.OnCommand(IDC_COMM, kBnClicked);
            if (!lostAddress.empty()) {
                // The printer went away for good: the name the console waits for never answers.
                app.m_portName = lostAddress;
                closing.reset();
            }
            cpuAtStart = bench::CpuSeconds("self");
            clock.start();
            probe.start(kProbeMs);
        });
        QTimer::singleShot(kOpenAfterMs + seconds * 1000, [&] {
            const double wall = static_cast<double>(clock.elapsed()) / 1000.0;
            const double cpu = bench::CpuSeconds("self") - cpuAtStart;
            std::printf("case %s seconds %.1f\n", faultCase.c_str(), wall);
            if (closing) {
                std::printf("connections %d per_second %.2f\n", closing->Connections(),
                            closing->Connections() / wall);
            }
            std::printf("waiting_at_end %d cpu_seconds %.3f cpu_percent %.2f\n",
                        console.m_waitingForPort ? 1 : 0, cpu, 100.0 * cpu / wall);
            std::printf("longest_tick_gap_ms %lld\n", static_cast<long long>(gaps.Longest()));
            std::printf("last_reason %s\n", app.m_ioComm.m_lastError.c_str());
            host.EndDialog(kIdCancel);
        });
        host.RunModal(console);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
