// The communication log with the largest capture (14,997 records, hexadecimal form):
//   FullRefresh      rendering the whole document, the pane taking it, one paint of its 800x600
//                    view (the viewport)
//   Refresh100Records  the refresh tick's usual case: 100 records more in a full capture, built
//                    and handed to the pane, with the view lines it then repaints
//   DocumentBuild    rendering the document alone
//   DocumentMemcpy   copying the finished document, the floor for building it
//   QTextEditSetHtml a QTextEdit given the same content as HTML
// and the heap the pane holds for it. Prints the medians' ratios at the end.
// Run: QT_QPA_PLATFORM=offscreen bench_commlog --benchmark_repetitions=10
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QTextEdit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "commlog/CommLogRenderer.h"
#include "commlog/RtfReader.h"
#include "ui/CRichtextctrl1.h"
#include "ui/Cp1252QString.h"

namespace {

using kestrel::CommLogRenderer;
using kestrel::CRichtextctrl1;
using kestrel::TrafficCapture;

constexpr int kRecords = 14997;
constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;
constexpr int kHex = 1;
constexpr int kBytesPerRequest = 9;  // a poll command and its answer, alternating
constexpr uint32_t kMsBetweenBytes = 3;

const TrafficCapture& FullCapture() {
    static const auto capture = [] {
        auto full = std::make_unique<TrafficCapture>();
        for (int i = 0; i < kRecords; ++i) {
            const int direction =
                (i / kBytesPerRequest) % 2 == 0 ? kestrel::TrafficSent : kestrel::TrafficReceived;
            full->Record(static_cast<uint8_t>(i * 31), static_cast<uint32_t>(i) * kMsBetweenBytes,
                         direction);
        }
        return full;
    }();
    return *capture;
}

// Sizes the pane so that its view (the viewport a refresh repaints) is 800x600.
void SizeView(CRichtextctrl1& pane) {
    pane.resize(kViewWidth, kViewHeight);
    const QSize frame = QSize(kViewWidth, kViewHeight) - pane.viewport()->size();
    pane.resize(kViewWidth + frame.width(), kViewHeight + frame.height());
}

std::unique_ptr<TrafficCapture> CopyOfFullCapture() {
    return std::make_unique<TrafficCapture>(FullCapture());
}

// The same content as HTML: one <pre>, a span per styled run.
QString AsHtml(const kestrel::StyledText& content) {
    QString html = "<pre style=\"font-family:'Liberation Mono'; font-size:8pt\">";
    for (size_t run = 0; run < content.runs.size(); ++run) {
        const kestrel::StyleRun& style = content.runs[run];
        const size_t end =
            run + 1 < content.runs.size() ? content.runs[run + 1].start : content.text.size();
        QString colour = "#000000";
        if (style.colour < content.colours.size()) {
            const kestrel::TextColour& c = content.colours[style.colour];
            colour = QString::asprintf("#%02x%02x%02x", c.red, c.green, c.blue);
        }
        const QString text =
            kestrel::Cp1252ToQString(
                std::string_view(content.text).substr(style.start, end - style.start))
                .toHtmlEscaped();
        html += "<span style=\"color:" + colour + "\">" +
                (style.bold != 0 ? "<b>" + text + "</b>" : text) + "</span>";
    }
    return html + "</pre>";
}

double PeakResidentKb();

void FullRefresh(benchmark::State& state) {
    auto capture = CopyOfFullCapture();
    CommLogRenderer renderer;
    CRichtextctrl1 pane;
    SizeView(pane);
    QImage view(kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        ++capture->m_generation;  // as after the capture was emptied: nothing to continue from
        renderer.Render(1, *capture, kHex, 0, &pane);
        pane.viewport()->render(&view);
        benchmark::DoNotOptimize(view.constBits());
    }
    state.counters["document_bytes"] = static_cast<double>(renderer.Document().size());
    state.counters["peak_rss_kb"] = PeakResidentKb();
}
BENCHMARK(FullRefresh)->Unit(benchmark::kMicrosecond);

void PaneSetDocument(benchmark::State& state) {
    auto capture = CopyOfFullCapture();
    CommLogRenderer renderer;
    renderer.Render(1, *capture, kHex, 0, nullptr);
    CRichtextctrl1 pane;
    SizeView(pane);
    for (auto _ : state) {
        pane.SetDocument(renderer.Document());
        pane.SetSelectionStart(kestrel::kCommLogCaretAtEnd);
    }
}
BENCHMARK(PaneSetDocument)->Unit(benchmark::kMicrosecond);

void PanePaint(benchmark::State& state) {
    auto capture = CopyOfFullCapture();
    CommLogRenderer renderer;
    CRichtextctrl1 pane;
    SizeView(pane);
    renderer.Render(1, *capture, kHex, 0, &pane);
    QImage view(kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        pane.viewport()->render(&view);
        benchmark::DoNotOptimize(view.constBits());
    }
}
BENCHMARK(PanePaint)->Unit(benchmark::kMicrosecond);

void DocumentBuild(benchmark::State& state) {
    auto capture = CopyOfFullCapture();
    CommLogRenderer renderer;
    for (auto _ : state) {
        ++capture->m_generation;  // the whole document, every time
        renderer.Render(1, *capture, kHex, 0, nullptr);
        benchmark::DoNotOptimize(renderer.Document().data());
    }
}
BENCHMARK(DocumentBuild)->Unit(benchmark::kMicrosecond);

// Counts the pixel rows the pane's view paints.
class PaintedRows : public QObject {
  public:
    int rows = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            rows += static_cast<QPaintEvent*>(event)->region().boundingRect().height();
        }
        return QObject::eventFilter(watched, event);
    }
};

void Refresh100Records(benchmark::State& state) {
    constexpr int kAdded = 100;
    CRichtextctrl1 pane;
    SizeView(pane);
    pane.show();
    PaintedRows painted;
    pane.viewport()->installEventFilter(&painted);
    double paintedLines = 0;
    for (auto _ : state) {
        auto capture = CopyOfFullCapture();
        capture->m_trafficCount = kRecords - kAdded;
        CommLogRenderer renderer;
        renderer.Render(1, *capture, kHex, 0, &pane);
        QCoreApplication::processEvents();
        painted.rows = 0;

        const auto start = std::chrono::steady_clock::now();
        capture->m_trafficCount = kRecords;  // the last 100 records arrive
        renderer.Render(0, *capture, kHex, 0, &pane);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());

        QCoreApplication::processEvents();
        paintedLines = painted.rows / static_cast<double>(pane.fontMetrics().height());
    }
    state.counters["view_lines"] = pane.viewport()->height() / pane.fontMetrics().height();
    state.counters["repainted_lines"] = paintedLines;
}
BENCHMARK(Refresh100Records)->Unit(benchmark::kMicrosecond)->UseManualTime();

void DocumentMemcpy(benchmark::State& state) {
    auto capture = CopyOfFullCapture();
    CommLogRenderer renderer;
    renderer.Render(1, *capture, kHex, 0, nullptr);
    const std::string_view document = renderer.Document();
    std::string copy(document.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), document.data(), document.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DocumentMemcpy)->Unit(benchmark::kMicrosecond);

void QTextEditSetHtml(benchmark::State& state) {
    auto capture = CopyOfFullCapture();
    CommLogRenderer renderer;
    renderer.Render(1, *capture, kHex, 0, nullptr);
    kestrel::StyledText content;
    std::string error;
    kestrel::ReadRtf(renderer.Document(), content, &error);
    const QString html = AsHtml(content);
    QTextEdit edit;
    edit.resize(kViewWidth, kViewHeight);
    for (auto _ : state) {
        edit.setHtml(html);
    }
    state.counters["peak_rss_kb"] = PeakResidentKb();
}
BENCHMARK(QTextEditSetHtml)->Unit(benchmark::kMillisecond)->Iterations(3);

// Bytes the allocator has handed out, from its heap and from its own mappings.
double AllocatedBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

double PeakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);
}

// The heap the pane holds with a full capture in it and one paint done (the document, its
// content, the painter's glyph runs, the widget), from the allocator's own count.
void PaneMemory(benchmark::State& state) {
    auto capture = CopyOfFullCapture();
    CommLogRenderer renderer;
    renderer.Render(1, *capture, kHex, 0, nullptr);
    QImage view(kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied);
    view.fill(0);
    double paneBytes = 0;
    for (auto _ : state) {
        const double before = AllocatedBytes();
        auto pane = std::make_unique<CRichtextctrl1>();
        SizeView(*pane);
        pane->SetDocument(renderer.Document());
        pane->SetSelectionStart(kestrel::kCommLogCaretAtEnd);
        pane->viewport()->render(&view);
        paneBytes = AllocatedBytes() - before;
        benchmark::DoNotOptimize(pane.get());
    }
    state.counters["pane_bytes"] = paneBytes;
    state.counters["peak_rss_kb"] = PeakResidentKb();
}
BENCHMARK(PaneMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// Keeps each benchmark's median (or its single result) to print the ratios the goals name.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || run.run_type == Run::RT_Iteration) {
                const std::string name = run.run_name.function_name;
                if (median || m_microseconds.count(name) == 0 || !m_fromMedian[name]) {
                    m_microseconds[name] =
                        run.GetAdjustedRealTime() * ToMicroseconds(run.time_unit);
                    m_fromMedian[name] = median;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        const auto value = [&](const char* name) {
            const auto found = m_microseconds.find(name);
            return found == m_microseconds.end() ? 0.0 : found->second;
        };
        const double refresh = value("FullRefresh");
        const double build = value("DocumentBuild");
        const double copy = value("DocumentMemcpy");
        const double html = value("QTextEditSetHtml");
        std::printf("\nrefresh with 100 records more: %.1f us", value("Refresh100Records"));
        std::printf("\nfull refresh %.3f ms; QTextEdit setHtml %.1f ms", refresh / 1000,
                    html / 1000);
        if (refresh > 0 && html > 0) {
            std::printf(" (%.0fx the full refresh)", html / refresh);
        }
        std::printf("\ndocument build %.1f us; memcpy %.1f us", build, copy);
        if (copy > 0) {
            std::printf(" (build = %.1fx memcpy)", build / copy);
        }
        std::printf("\n");
    }

  private:
    static double ToMicroseconds(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kNanosecond:
                return 1e-3;
            case benchmark::kMillisecond:
                return 1e3;
            case benchmark::kSecond:
                return 1e6;
            default:
                return 1;
        }
    }

    std::map<std::string, double> m_microseconds;
    std::map<std::string, bool> m_fromMedian;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
