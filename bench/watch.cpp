// The software cost of one watch sample (three register reads, the masks, the change test) on
// the simulated port, beside the three bare port reads, in one run. Target: the difference, the
// software part, under 300 ns.
#include "sample.h"

#include "bare_reads.h"

#include <cstdio>

namespace {

BENCHMARK(BM_ThreeBareReads);

void BM_WatchSample(benchmark::State& state) {
    installSimulatedPort();
    cli::Sampler sampler;
    for (auto _ : state)
        benchmark::DoNotOptimize(cli::Sample(sampler));
}
BENCHMARK(BM_WatchSample);

// The sample's cost beside the bare reads'; false when the target is missed.
bool printDifference(const TimesReporter& times) {
    double sample = times.ns("BM_WatchSample"), bare = times.ns("BM_ThreeBareReads");
    if (sample <= 0 || bare <= 0)
        return true;
    double software = sample - bare;
    printf("watch sample: %.1f ns, three bare reads: %.1f ns, ratio %.2f, software part "
           "%.1f ns (target under 300 ns): %s\n",
           sample, bare, sample / bare, software, software < 300 ? "met" : "MISSED");
    return software < 300;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return printDifference(reporter) ? 0 : 1;
}
