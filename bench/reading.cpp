// The cost of one reading (log advance, the three register reads, masks, formatting of the
// record) on the simulated port, beside the cost of the three bare port reads, in one run.
#include "backend.h"
#include "port.h"
#include "portio.h"
#include "readlog.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

void installSimulatedPort() {
    portio::install(
        {std::make_unique<portio::SimulatedBackend>(), "Simulated port", "Simulated port"});
}

void BM_ThreeBareReads(benchmark::State& state) {
    installSimulatedPort();
    for (auto _ : state) {
        benchmark::DoNotOptimize(_inp(BASEPORT));
        benchmark::DoNotOptimize(_inp(BASEPORT + 1));
        benchmark::DoNotOptimize(_inp(BASEPORT + 2));
    }
}
BENCHMARK(BM_ThreeBareReads);

void BM_Reading(benchmark::State& state) {
    installSimulatedPort();
    for (auto _ : state) {
        // The log holds 32001 readings; start it again, untimed, whenever it fills.
        if (LogIsFull()) {
            state.PauseTiming();
            e = 0;
            s = 0;
            state.ResumeTiming();
        }
        Read_Port();
        Format_Data();
        benchmark::DoNotOptimize(list[e]);
    }
}
BENCHMARK(BM_Reading);

// Console output as usual, then how many bare reads' time one reading costs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                ns_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio() const {
        auto reading = ns_.find("BM_Reading"), bare = ns_.find("BM_ThreeBareReads");
        if (reading == ns_.end() || bare == ns_.end() || bare->second <= 0)
            return;
        printf("reading: %.1f ns, three bare reads: %.1f ns, ratio %.1f\n", reading->second,
               bare->second, reading->second / bare->second);
    }

private:
    std::map<std::string, double> ns_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printRatio();
    return 0;
}
