// Start-up of the console to its first painted frame, with a full comm data file (14,997
// records) loaded into the log pane at start, against a minimal Qt Widgets program showing one
// empty dialog, both measured the same way in the same run: from starting a process of this
// program until the process reports, through a pipe, that its window's first paint is done.
// The console's process also reports its resident memory at that moment. For reference, a
// third program shows the empty dialog with one line of text.
// Run: bench_startup [rounds]   (default 10; the offscreen platform unless QT_QPA_PLATFORM is set)
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/CKestrelApp.h"
#include "commlog/CommLogRenderer.h"
#include "console/CKestrelDlg.h"
#include "console/DialogTemplates.h"
#include "ui/QtDialogHost.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRecords = 14997;
constexpr int kBytesPerRequest = 9;
constexpr uint32_t kMsBetweenBytes = 3;
constexpr int kDefaultRounds = 10;
constexpr const char* kReportFdVariable = "KESTREL_BENCH_REPORT_FD";
constexpr const char* kCommDataUnderDataHome = "Norvane/Kestrel/KestrelCommData.rtf";

// The resident set of this process in kB, from /proc.
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

// Reports once, after the first paint of `window` has been processed.
class FirstPaintReporter : public QObject {
  public:
    FirstPaintReporter(QWidget& window, std::function<void()> reached)
        : m_reached(std::move(reached)) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QTimer::singleShot(0, this, [this] { m_reached(); });
        }
        return false;
    }

  private:
    std::function<void()> m_reached;
    bool m_done = false;
};

void Report(long residentKb, size_t logBytes) {
    const char* fd = std::getenv(kReportFdVariable);
    if (fd == nullptr) {
        return;
    }
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%ld %zu\n", residentKb, logBytes);
    const ssize_t written = write(std::atoi(fd), line, static_cast<size_t>(length));
    (void)written;
}

class UnchangedPriority : public kestrel::ProcessPriority {
  public:
    bool Raise(std::string* /*error*/) override { return true; }
};

// `withText`: the dialog shows one line of text, so the process also pays for its fonts, as
// every program that shows text does and the empty dialog never does.
int RunEmptyDialog(int argc, char** argv, bool withText) {
    QApplication application(argc, argv);
    QDialog dialog;
    if (withText) {
        new QLabel(QStringLiteral("Vantor 60 Ticket Printer"), &dialog);
    }
    FirstPaintReporter reporter(dialog, [&] {
        Report(ResidentKb(), 0);
        dialog.done(0);
    });
    return dialog.exec();
}

int RunConsole(int argc, char** argv) {
    QApplication application(argc, argv);
    kestrel::CKestrelApp app({});
    kestrel::QtDialogHost host(kestrel::ConsoleTemplate());
    UnchangedPriority priority;
    kestrel::CKestrelDlg console(app, priority);
    FirstPaintReporter reporter(host, [&] {
        kestrel::CommLogPane* pane = host.LogPane();
        Report(ResidentKb(), pane != nullptr ? pane->Text().size() : 0);
        host.EndDialog(kestrel::kIdOk);
    });
    host.RunModal(console);
    app.m_commLogPane = nullptr;
    app.m_messageOwner = nullptr;
    return 0;
}

struct ChildResult {
    double milliseconds = 0;
    long residentKb = 0;
    size_t logBytes = 0;
};

// Starts this program as `role` and waits for its first-paint report.
ChildResult TimeChild(const char* self, const char* role) {
    int report[2];
    if (pipe(report) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        setenv(kReportFdVariable, std::to_string(report[1]).c_str(), 1);
        execl(self, self, "--child", role, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(report[1]);
    char line[64] = {};
    size_t used = 0;
    while (used + 1 < sizeof line) {
        const ssize_t got = read(report[0], line + used, sizeof line - 1 - used);
        if (got <= 0 || std::memchr(line, '\n', used + static_cast<size_t>(got)) != nullptr) {
            used += got > 0 ? static_cast<size_t>(got) : 0;
            break;
        }
        used += static_cast<size_t>(got);
    }
    const Clock::time_point reached = Clock::now();
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ChildResult result;
    result.milliseconds = std::chrono::duration<double, std::milli>(reached - start).count();
    if (std::sscanf(line, "%ld %zu", &result.residentKb, &result.logBytes) != 2) {
        std::fprintf(stderr, "%s gave no report\n", role);
        std::exit(1);
    }
    return result;
}

// A scratch folder with the settings, the application log and a full comm data file.
std::string PrepareFolder() {
    std::string folder = (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    auto capture = std::make_unique<kestrel::TrafficCapture>();
    for (int i = 0; i < kRecords; ++i) {
        const int direction =
            (i / kBytesPerRequest) % 2 == 0 ? kestrel::TrafficSent : kestrel::TrafficReceived;
        capture->Record(static_cast<uint8_t>(i * 31), static_cast<uint32_t>(i) * kMsBetweenBytes,
                        direction);
    }
    kestrel::CommLogRenderer renderer;
    renderer.Render(1, *capture, 1, 0, nullptr);
    const std::filesystem::path file = std::filesystem::path(folder) / kCommDataUnderDataHome;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(renderer.Document().data(),
               static_cast<std::streamsize>(renderer.Document().size()));
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    setenv("KESTREL_SETTINGS", (folder + "/settings.reg").c_str(), 1);
    std::filesystem::current_path(folder);
    return folder;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        if (std::strcmp(argv[2], "console") == 0) {
            return RunConsole(argc, argv);
        }
        return RunEmptyDialog(argc, argv, std::strcmp(argv[2], "label") == 0);
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const std::string folder = PrepareFolder();

    std::vector<double> console;
    std::vector<double> empty;
    std::vector<double> label;
    long residentKb = 0;
    size_t logBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        empty.push_back(TimeChild(self.c_str(), "empty").milliseconds);
        label.push_back(TimeChild(self.c_str(), "label").milliseconds);
        const ChildResult result = TimeChild(self.c_str(), "console");
        console.push_back(result.milliseconds);
        residentKb = std::max(residentKb, result.residentKb);
        logBytes = result.logBytes;
    }
    const double consoleMs = Median(console);
    const double emptyMs = Median(empty);
    std::printf("start-up to first painted frame, median of %d:\n", rounds);
    std::printf("  console with a %d-record comm data file (%zu characters in the pane): %.1f ms\n",
                kRecords, logBytes, consoleMs);
    std::printf("  minimal Qt Widgets dialog: %.1f ms\n", emptyMs);
    std::printf("  ratio %.2f (goal: at most 1.5)\n", consoleMs / emptyMs);
    const double labelMs = Median(label);
    std::printf(
        "  for reference, the same dialog with one line of text: %.1f ms (console: %.2fx)\n",
        labelMs, consoleMs / labelMs);
    std::printf("console resident memory at its first frame: %.1f MB (goal: under 60 MB)\n",
                static_cast<double>(residentKb) / 1024.0);
    std::error_code ignored;
    std::filesystem::current_path("/", ignored);
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
