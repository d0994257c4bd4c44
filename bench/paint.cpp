// The cost of one paint of the table with a full log (32001 readings) beside one with three
// readings, measured in one run, and what holding F12 down costs: readings with their paints.
#include "bytescope.h"
#include "port.h"
#include "portio.h"
#include "readlog.h"
#include "recording_backend.h"
#include "resource.h"
#include "statbar.h"
#include "view.h"
#include "win32_qt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

HACCEL hAccel;
int paints = 0;

// Counts the paints of the main window's client area.
class PaintCounter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

QWidget* Client() {
    return Win32_Client(hwndMain);
}

// The program as WinMain sets it up, over a port whose data register counts the readings.
bool StartProgram() {
    portio::install({std::make_unique<testsupport::ScriptedBackend>(0, 0x80, 0x0B), "bench port"});
    static HINSTANCE__ module{&g_ModuleResources};
    hInst = &module;
    if (!InitApplication())
        return false;
    hAccel = LoadAcceleratorsA(hInst, MAKEINTRESOURCE(IDR_ACCELERATORS));
    hwndMain = CreatebytescopeWndClassWnd();
    if (!hwndMain)
        return false;
    CreateSBar(hwndMain, "Ready", 1);
    ShowWindow(hwndMain, SW_SHOW);
    static PaintCounter counter;
    Client()->installEventFilter(&counter);
    // A full log through the real reading path.
    while (!LogIsFull()) {
        _outp(BASEPORT, e & 0xFF);
        Read_Port();
        Format_Data();
    }
    return true;
}

// Lets the window settle: layout, scroll bars shown or hidden, WM_SIZE, paints.
void Settle() {
    for (int i = 0; i < 5; ++i) {
        Client()->repaint();
        Win32_Widget(hwndMain)->layout()->activate();
        QCoreApplication::processEvents();
    }
}

// The log as if `readings` had been taken, the client area `lines` lines high (0: the window's
// default size), the view at the top (0), in the middle (1) or at the bottom (2) of the range.
void Prepare(int readings, int lines, int where = 0) {
    s = 1;
    e = readings - 1;
    nVscrollPos = short(where * VscrollMaxFor(readings, lines * cyChar, cyChar) / 2);
    nHscrollPos = 0;
    QWidget* frame = Win32_Widget(hwndMain);
    Settle();
    int height = lines ? lines * cyChar : 600;
    for (int i = 0; i < 5 && Client()->height() != height; ++i) {
        if (lines)
            frame->resize(frame->width(), frame->height() + height - Client()->height());
        else
            frame->resize(800, 600);
        Settle();
        if (!lines)
            break;
    }
}

// One paint of the client area into an image, as the view draws it (children left out).
void BM_Paint(benchmark::State& state) {
    const int readings = int(state.range(0));
    const int lines = int(state.range(1));
    const int where = int(state.range(2));
    Prepare(readings, lines, where);
    if (lines && cyClient != lines * cyChar) {
        state.SkipWithError("the client area did not take the asked height");
        return;
    }
    QImage image(Client()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        Client()->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["readings"] = readings;
    state.counters["lines"] = cyClient / cyChar;
    state.counters["position"] = nVscrollPos;
}
// A client area of 4 lines holds exactly what three readings fill (header, newest row, two
// older rows), so both paints draw the same texts: any difference is the log's size.
// The full log also scrolled to the middle and to the bottom of its range.
BENCHMARK(BM_Paint)
    ->Args({3, 4, 0})
    ->Args({32001, 4, 0})
    ->Args({32001, 4, 1})
    ->Args({32001, 4, 2})
    ->ArgNames({"readings", "lines", "at"});
// The window's default size: three readings, a screenful and the full log.
BENCHMARK(BM_Paint)
    ->Args({3, 0, 0})
    ->Args({60, 0, 0})
    ->Args({32001, 0, 0})
    ->ArgNames({"readings", "lines", "at"});

// The program's message loop, as WinMain runs it, until `done`.
template <typename Done> void RunLoopUntil(Done done) {
    MSG msg;
    while (!done() && GetMessageA(&msg, NULL, 0, 0)) {
        if (!TranslateAcceleratorA(msg.hwnd, hAccel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void PressF12(bool autoRepeat) {
    QCoreApplication::postEvent(Client(), new QKeyEvent(QEvent::KeyPress, Qt::Key_F12,
                                                        Qt::NoModifier, QString(), autoRepeat));
}

// Readings start near the end of the log, so that every paint has a full log behind it.
const int kFirstReading = 30000;

// Holding F12 down: `burst` auto-repeat presses arrive at once, as they do when the program
// falls behind. Each becomes a reading; the paints they ask for are merged into one.
void BM_F12AutoRepeatBurst(benchmark::State& state) {
    const int burst = int(state.range(0));
    Prepare(kFirstReading, 0);
    long readingsTaken = 0, paintsDone = 0;
    for (auto _ : state) {
        if (e + burst >= LOG_LIMIT) {
            state.PauseTiming();
            e = kFirstReading;
            state.ResumeTiming();
        }
        const int target = e + burst;
        const int paintsBefore = paints;
        for (int i = 0; i < burst; ++i)
            PressF12(true);
        RunLoopUntil([&] { return e >= target; });
        // The paint that the readings asked for.
        for (int i = 0; i < 100 && paints == paintsBefore; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        readingsTaken += burst;
        paintsDone += paints - paintsBefore;
    }
    state.counters["readings_per_burst"] = double(readingsTaken) / double(state.iterations());
    state.counters["paints_per_burst"] = double(paintsDone) / double(state.iterations());
    state.counters["per_reading"] = benchmark::Counter(
        double(readingsTaken), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_F12AutoRepeatBurst)->Arg(1)->Arg(30)->Arg(300)->ArgName("presses")->UseRealTime();

// Console output as usual, then the ratios of the paints measured in this run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times_[run.benchmark_name()] = {run.GetAdjustedRealTime(),
                                                run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }
    // The machine is shared, so the ratio is given for processor time as well as real time.
    void printRatio(const std::string& big, const std::string& small) const {
        auto b = times_.find(big), s = times_.find(small);
        if (b == times_.end() || s == times_.end() || s->second.real <= 0 || s->second.cpu <= 0)
            return;
        printf("%s / %s: real %.1f / %.1f us = %.2f, cpu %.1f / %.1f us = %.2f\n", big.c_str(),
               small.c_str(), b->second.real / 1000, s->second.real / 1000,
               b->second.real / s->second.real, b->second.cpu / 1000, s->second.cpu / 1000,
               b->second.cpu / s->second.cpu);
    }

private:
    struct Times {
        double real, cpu;
    };
    std::map<std::string, Times> times_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!StartProgram()) {
        fprintf(stderr, "the main window could not be created\n");
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const std::string three = "BM_Paint/readings:3/lines:4/at:0";
    for (int at = 0; at <= 2; ++at)
        reporter.printRatio("BM_Paint/readings:32001/lines:4/at:" + std::to_string(at), three);
    reporter.printRatio("BM_Paint/readings:32001/lines:0/at:0",
                        "BM_Paint/readings:60/lines:0/at:0");
    return 0;
}
