// The console taking a steady byte stream through a pseudo-terminal, as on a busy serial line:
// Normal mode (nothing decoded), Debug Mode with the hexadecimal log shown. A feeder process of
// its own writes RATE bytes a second for SECONDS, without blocking, to the console's terminal
// and, with --compare, to a second terminal that a comparison program reads (CuteCom, in hex
// display, started by scripts/stream-bench.sh). It prints, for the console, its CPU use, the
// bytes the terminal refused (on a UART without flow control: lost), the most that waited
// unread, and how long after the last byte was written the pane showed it; for the comparison
// program its CPU use and the bytes its terminal refused.
//
// Run: scripts/stream-bench.sh [SECONDS], or under a display by hand:
//   build/bench/stream_bench SECONDS [--rate BYTES] [--compare-pid-file FILE --compare-tty FILE]
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "HarnessSupport.h"
#include "app/CKestrelApp.h"
#include "console/CKestrelDlg.h"
#include "console/ControlIds.h"
#include "console/DialogTemplates.h"
#include "support/ConsoleDoubles.h"
#include "ui/QtDialogHost.h"

namespace kestrel {
namespace {

constexpr int kDefaultRate = 20000;
constexpr int kFeedPeriodMs = 10;
constexpr int kSampleMs = 100;
constexpr int kSettleMs = 2000;
constexpr int kLagLimitMs = 5000;

using Clock = std::chrono::steady_clock;

double NowMs() {
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

int OpenTerminal(std::string* slave) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128];
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        return -1;
    }
    *slave = name;
    return master;
}

// Writes `rate` bytes a second in pieces every 10 ms to each terminal, never blocking; what a
// terminal refuses is counted, not retried. Reports "written refused" per terminal on `report`.
[[noreturn]] void Feed(const int masters[2], int count, int rate, int seconds, int report) {
    const int piece = rate * kFeedPeriodMs / 1000;
    std::string bytes(static_cast<size_t>(piece), '\0');
    long written[2] = {0, 0};
    long refused[2] = {0, 0};
    uint32_t value = 0;
    auto next = Clock::now();
    const auto end = next + std::chrono::seconds(seconds);
    while (next < end) {
        for (char& byte : bytes) {
            byte = static_cast<char>((value++ * 37u) >> 3);
        }
        for (int t = 0; t < count; ++t) {
            const ssize_t n = write(masters[t], bytes.data(), bytes.size());
            const long taken = n > 0 ? n : 0;
            written[t] += taken;
            refused[t] += static_cast<long>(bytes.size()) - taken;
        }
        next += std::chrono::milliseconds(kFeedPeriodMs);
        std::this_thread::sleep_until(next);
    }
    // The time of the last write, on the monotonic clock both processes share.
    char line[160];
    const int length = std::snprintf(line, sizeof line, "%ld %ld %ld %ld %.3f\n", written[0],
                                     refused[0], written[1], refused[1], NowMs());
    (void)!write(report, line, static_cast<size_t>(length));
    _exit(0);
}

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
    using namespace kestrel;
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: stream_bench SECONDS [--rate BYTES] [--compare-tty FILE "
                     "--compare-pid-file FILE]\n");
        return 2;
    }
    const int seconds = std::atoi(argv[1]);
    int rate = kDefaultRate;
    std::string compareTtyFile;
    std::string comparePidFile;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--rate") {
            rate = std::atoi(argv[i + 1]);
        } else if (option == "--compare-tty") {
            compareTtyFile = argv[i + 1];
        } else if (option == "--compare-pid-file") {
            comparePidFile = argv[i + 1];
        }
    }
    const std::filesystem::path folder = bench::EnterScratchFolder("kestrel-stream");

    int masters[2] = {-1, -1};
    std::string slaves[2];
    const int terminals = compareTtyFile.empty() ? 1 : 2;
    for (int t = 0; t < terminals; ++t) {
        masters[t] = OpenTerminal(&slaves[t]);
        if (masters[t] < 0) {
            std::perror("stream_bench: pseudo-terminal");
            return 1;
        }
    }
    std::string comparePid;
    if (terminals == 2) {
        // The script starts the comparison program on this terminal and names its process.
        std::ofstream(compareTtyFile) << slaves[1] << "\n";
        for (int wait = 0; wait < 200 && comparePid.empty(); ++wait) {
            std::ifstream(comparePidFile) >> comparePid;
            usleep(50000);
        }
        if (comparePid.empty()) {
            std::fprintf(stderr, "stream_bench: the comparison program did not start\n");
            return 1;
        }
    }

    QApplication application(argc, argv);
    int exitCode = 0;
    {
        CKestrelApp app({});
        QtDialogHost host(ConsoleTemplate());
        testing::UnchangedPriority priority;
        CKestrelDlg console(app, priority);
        app.m_console = &console;
        int report[2] = {-1, -1};
        pid_t feeder = -1;
        double startMs = 0;
        double startCpu = 0;
        double startCompareCpu = 0;
        double feedEndMs = 0;
        long mostWaiting = 0;
        const auto waiting = [&] {
            int queued = 0;
            ioctl(static_cast<int>(app.m_ioComm.m_handle), FIONREAD, &queued);
            return static_cast<long>(queued) + app.m_ioComm.m_readAheadCount -
                   app.m_ioComm.m_readAheadPos;
        };
        QTimer sampler;
        QTimer::singleShot(0, [&] {
            for (const int box : {IDC_NORMALMODE, IDC_DEBUGMODE}) {
                host.CheckButton(box, 1);
                console.OnCommand(box, kBnClicked);
            }
            host.CheckButton(IDC_TEXT, 0);
            host.CheckButton(IDC_HEX, 1);
            console.OnCommand(IDC_HEX, kBnClicked);
            // The port is opened as the COMM button does after its dialog.
            app.m_portName = slaves[0];
            if (app.OpenSelectedPort() == 0) {
                std::fprintf(stderr, "stream_bench: cannot open %s\n", slaves[0].c_str());
                exitCode = 1;
                host.EndDialog(kIdCancel);
                return;
            }
            console.m_portOpen = true;
        });
        QTimer::singleShot(kSettleMs, [&] {
            if (pipe(report) != 0) {
                exitCode = 1;
                host.EndDialog(kIdCancel);
                return;
            }
            startMs = NowMs();
            startCpu = bench::CpuSeconds("self");
            startCompareCpu = comparePid.empty() ? 0 : bench::CpuSeconds(comparePid);
            feeder = fork();
            if (feeder == 0) {
                Feed(masters, terminals, rate, seconds, report[1]);
            }
            close(report[1]);
            sampler.start(kSampleMs);
        });
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            mostWaiting = std::max(mostWaiting, waiting());
            int status = 0;
            if (feedEndMs == 0 && waitpid(feeder, &status, WNOHANG) == feeder) {
                feedEndMs = NowMs();
                const double cpu = bench::CpuSeconds("self") - startCpu;
                const double compareCpu =
                    comparePid.empty() ? 0 : bench::CpuSeconds(comparePid) - startCompareCpu;
                const double wallSeconds = (feedEndMs - startMs) / 1000;
                long written[2] = {0, 0};
                long refused[2] = {0, 0};
                double lastWriteMs = feedEndMs;
                char line[160] = {};
                (void)!read(report[0], line, sizeof line - 1);
                std::sscanf(line, "%ld %ld %ld %ld %lf", &written[0], &refused[0], &written[1],
                            &refused[1], &lastWriteMs);
                // From the last write, how long until every byte was read, recorded and drawn
                // into the pane (the renderer has rendered the whole capture).
                double lagMs = -1;
                while (NowMs() - feedEndMs < kLagLimitMs) {
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                    if (waiting() == 0 &&
                        app.m_commLogRenderer.m_lastRenderedCount == app.m_capture.m_trafficCount) {
                        lagMs = NowMs() - lastWriteMs;
                        break;
                    }
                }
                std::printf("seconds %.1f rate_bytes_per_second %d\n", wallSeconds, rate);
                std::printf("kestrel cpu_percent_of_one_core %.2f\n", 100.0 * cpu / wallSeconds);
                std::printf("kestrel bytes_written %ld refused %ld most_waiting_unread %ld\n",
                            written[0], refused[0], mostWaiting);
                std::printf("kestrel last_byte_shown_after_ms %.0f (-1: not within %d ms)\n", lagMs,
                            kLagLimitMs);
                if (!comparePid.empty()) {
                    std::printf("compare cpu_percent_of_one_core %.2f\n",
                                100.0 * compareCpu / wallSeconds);
                    std::printf("compare bytes_written %ld refused %ld\n", written[1], refused[1]);
                }
                std::fflush(stdout);
                host.EndDialog(kIdCancel);
            }
        });
        host.RunModal(console);
        app.m_console = nullptr;
        if (feeder > 0 && feedEndMs == 0) {
            kill(feeder, SIGTERM);
            waitpid(feeder, nullptr, 0);
        }
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return exitCode;
}
