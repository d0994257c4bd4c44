// Start-up: from process start to the first painted main window, against a plain Qt Widgets
// program with the same widgets, and the resident memory of each at that moment: what the Win32
// layer costs. Each run is a fresh process (this program started again with --child), on the
// offscreen platform.
//
// The plain program has what the main window has: a menu bar with the same four menus, both
// scroll bars, a status bar saying "Ready", and a client area that draws the start screen with
// the same font, at the same size.
#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
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

class StartScreen : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        QFont font(QStringLiteral("Modern"));
        font.setPixelSize(28);
        p.setFont(font);
        const char* lines[] = {"",
                               "",
                               "Bytescope - A Parallel Port Application",
                               "for Windows 9x",
                               "",
                               "CAUTION!",
                               "",
                               "Read the Help file before operating this program",
                               "with hardware connected to the parallel port."};
        int step = p.fontMetrics().height();
        for (int i = 0; i < 9; ++i) {
            p.setPen(i == 5 ? Qt::yellow : Qt::white);
            p.drawText(QRect(0, i * step, width(), step), Qt::AlignHCenter,
                       QString::fromLatin1(lines[i]));
        }
    }
};

int plainProgram(QApplication& app) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("Bytescope"));
    auto* outer = new QVBoxLayout(&w);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar;
    bar->setNativeMenuBar(false);
    bar->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&E&xit"));
    bar->addMenu(QStringLiteral("&Read"))->addAction(QStringLiteral("&Parallel Port"));
    QMenu* write = bar->addMenu(QStringLiteral("&Write"));
    write->addAction(QStringLiteral("&Data Register"));
    write->addAction(QStringLiteral("&Control Register"));
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Help Topics"));
    help->addAction(QStringLiteral("&About"));
    outer->setMenuBar(bar);
    auto* grid = new QGridLayout;
    grid->addWidget(new StartScreen, 0, 0);
    grid->addWidget(new QScrollBar(Qt::Vertical), 0, 1);
    grid->addWidget(new QScrollBar(Qt::Horizontal), 1, 0);
    outer->addLayout(grid, 1);
    auto* status = new QStatusBar;
    status->showMessage(QStringLiteral("Ready"));
    outer->addWidget(status);
    w.resize(800, 600);
    w.show();
    return app.exec();
}

int child(const char* what, int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FirstPaint filter;
    app.installEventFilter(&filter);
    if (!std::strcmp(what, "plain"))
        return plainProgram(app);
    portio::install(portio::simulatedChoice("a benchmark"));
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

void BM_PlainQtProgram(benchmark::State& state) {
    StartToFirstPaint(state, "plain");
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
STARTUP(BM_PlainQtProgram);
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
            auto& slot = r.benchmark_name().find("Plain") != std::string::npos ? plain_ : program_;
            slot = {t, m};
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (plain_.first > 0 && program_.first > 0)
            std::printf("start-up ratio (Bytescope / plain Qt program, same widgets): %.2f "
                        "(target <= 1.1)\nresident memory above the plain program: %.1f MB\n",
                        program_.first / plain_.first, (program_.second - plain_.second) / 1024);
    }

private:
    std::pair<double, double> plain_{}, program_{};
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
