// Start-up: from process start to the first painted main window, against a minimal Qt Widgets
// window, and the resident memory of each at that moment. Each run is a fresh process (this
// program started again with --child), on the offscreen platform.
//
// The minimal window is Qt's hello world: one label in a window of the program's size. A bare
// QWidget is measured too: it never draws text, so it skips loading the font database, which
// any window that shows text (a menu, a title, a table) pays for before its first paint.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "backend.h"
#include "bytescope.h"
#include "win32_qt.h"
#include "windows.h"

extern char** environ;

namespace {

std::string self;

// Ends the child once the first paint of a window is done, reporting its peak resident memory
// (kB).
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* ev) override {
        if (ev->type() == QEvent::Paint && o->isWidgetType())
            QTimer::singleShot(0, [] {
                struct rusage ru;
                getrusage(RUSAGE_SELF, &ru);
                std::printf("%ld\n", ru.ru_maxrss);
                std::fflush(stdout);
                std::_Exit(0);
            });
        return false;
    }
};

int child(const char* what, int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FirstPaint filter;
    app.installEventFilter(&filter);
    if (!std::strcmp(what, "bare")) {
        QWidget w;
        w.resize(800, 600);
        w.show();
        return app.exec();
    }
    if (!std::strcmp(what, "minimal")) {
        QLabel w(QStringLiteral("Hello"));
        w.resize(800, 600);
        w.show();
        return app.exec();
    }
    portio::install({std::make_unique<portio::SimulatedBackend>(), "simulated", "Simulated"});
    static HINSTANCE__ module{&g_ModuleResources};
    char cmd[] = "";
    return WinMain(&module, nullptr, cmd, SW_SHOWNORMAL);
}

// Runs one child; returns its peak resident memory in kB.
long spawnChild(const char* what) {
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    std::string arg = std::string("--child=") + what;
    char* argv[] = {self.data(), arg.data(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, self.c_str(), &fa, nullptr, argv, environ) != 0)
        return -1;
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    char buf[64] = {};
    ssize_t n = read(out[0], buf, sizeof buf - 1);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return n > 0 ? std::atol(buf) : -1;
}

void StartToFirstPaint(benchmark::State& state, const char* what) {
    long rss = 0;
    for (auto _ : state) {
        rss = spawnChild(what);
        if (rss < 0) {
            state.SkipWithError("child failed");
            return;
        }
    }
    state.counters["rss_kB"] = double(rss);
}

void BM_BareQWidget(benchmark::State& state) {
    StartToFirstPaint(state, "bare");
}
void BM_MinimalQtWindow(benchmark::State& state) {
    StartToFirstPaint(state, "minimal");
}
void BM_Bytescope(benchmark::State& state) {
    StartToFirstPaint(state, "program");
}
// Process start-up is noisy: the ratios compare medians of several repetitions.
#define STARTUP(fn)                                                                                \
    BENCHMARK(fn)                                                                                  \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->Iterations(10)                                                                           \
        ->Repetitions(7)                                                                           \
        ->ReportAggregatesOnly(true)
STARTUP(BM_BareQWidget);
STARTUP(BM_MinimalQtWindow);
STARTUP(BM_Bytescope);

// Prints the two ratios from the same run beside the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Aggregate || r.aggregate_name != "median")
                continue;
            double t = r.GetAdjustedRealTime();
            double m = r.counters.count("rss_kB") ? double(r.counters.at("rss_kB")) : 0;
            std::string name = r.benchmark_name();
            auto& slot = name.find("Bare") != std::string::npos      ? bare_
                         : name.find("Minimal") != std::string::npos ? minimal_
                                                                     : program_;
            slot = {t, m};
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (minimal_.first > 0 && program_.first > 0 && bare_.first > 0)
            std::printf("start-up ratio (Bytescope / minimal window): %.2f (target <= 1.2)\n"
                        "resident memory above the minimal window: %.1f MB (target <= 5)\n"
                        "for reference, Bytescope / bare QWidget: %.2f, memory %+.1f MB\n",
                        program_.first / minimal_.first, (program_.second - minimal_.second) / 1024,
                        program_.first / bare_.first, (program_.second - bare_.second) / 1024);
    }

private:
    std::pair<double, double> bare_{}, minimal_{}, program_{};
};

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && !std::strncmp(argv[1], "--child=", 8))
        return child(argv[1] + 8, argc, argv);
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return 1;
    self.assign(path, size_t(n));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
