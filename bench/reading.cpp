// The cost of one reading (log advance, the three register reads, masks, formatting of the
// record) on the simulated port, beside the cost of the three bare port reads, in one run.
#include "bare_reads.h"
#include "port.h"
#include "readlog.h"

#include <cstdio>

namespace {

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

// How many bare reads' time one reading costs.
void printRatio(const TimesReporter& times) {
    double reading = times.ns("BM_Reading"), bare = times.ns("BM_ThreeBareReads");
    if (reading > 0 && bare > 0)
        printf("reading: %.1f ns, three bare reads: %.1f ns, ratio %.1f\n", reading, bare,
               reading / bare);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printRatio(reporter);
    return 0;
}
