// How long a pulse of 5 ms is held, from its write to the rest value's, over 100 pulses on the
// simulated port: the least, the median and the most. Target: all within 5.0-5.2 ms on an idle
// machine.
#include "cli.h"
#include "port.h"

#include "bare_reads.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

namespace {

constexpr long long kWidthNs = 5000000;
std::vector<long long> held;

void BM_Pulse5ms(benchmark::State& state) {
    installSimulatedPort();
    static const volatile std::sig_atomic_t noStop = 0;
    const cli::Context context{nullptr, {}, &noStop};
    for (auto _ : state)
        held.push_back(cli::Pulse(WRITE_DATA, 255, 0, kWidthNs, context));
}
BENCHMARK(BM_Pulse5ms)->Iterations(100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (held.empty())
        return 0; // filtered out
    std::sort(held.begin(), held.end());
    const double least = held.front() / 1e6, median = held[held.size() / 2] / 1e6,
                 most = held.back() / 1e6;
    const bool met = least >= 5.0 && most <= 5.2;
    printf("pulse of 5 ms, %zu pulses: held min %.3f ms, median %.3f ms, max %.3f ms "
           "(target 5.0-5.2 ms): %s\n",
           held.size(), least, median, most, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
