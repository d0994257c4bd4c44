// What the port-reading benchmarks share: the simulated port, the three bare register reads that
// their costs are set beside, and a reporter that keeps each benchmark's time by name.
#pragma once

#include "backend.h"
#include "portio.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

inline void installSimulatedPort() {
    portio::install(portio::simulatedChoice("a benchmark"));
}

inline void BM_ThreeBareReads(benchmark::State& state) {
    installSimulatedPort();
    for (auto _ : state) {
        benchmark::DoNotOptimize(_inp(portio::kDataAddr));
        benchmark::DoNotOptimize(_inp(portio::kStatusAddr));
        benchmark::DoNotOptimize(_inp(portio::kControlAddr));
    }
}

// Console output as usual; afterwards, the real time of each benchmark run, in nanoseconds.
class TimesReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                ns_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of `name`, or 0 when it did not run.
    double ns(const std::string& name) const {
        auto it = ns_.find(name);
        return it == ns_.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> ns_;
};
