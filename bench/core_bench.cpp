// The cost of the decisions that run most often: the keyboard filter for
// every key event of the desktop, and the two readings of a number.
#include <benchmark/benchmark.h>

#include "base/numbers.h"
#include "lock/keyboard_filter.h"

namespace quorvel {
namespace {

void KeyboardFilterDecision(benchmark::State& state) {
    // A mix of swallowed and passed keys, downs and ups, as typing produces.
    const KeyEventRecord records[] = {{162, 0x1D, 0, 1, 0}, {65, 0x1E, 0, 2, 0}, {163, 0x1D, 1, 3, 0},
                                      {16, 0x2A, 0, 4, 0},  {32, 0x39, 0, 5, 0}, {18, 0x38, 0x20, 6, 0}};
    const uint32_t messages[] = {kWmKeyDown, kWmKeyUp, kWmSysKeyDown, kWmKeyUp, kWmKeyDown, kWmSysKeyUp};
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FilterKeyEvent(kHcAction, messages[i % 6], &records[i % 6]));
        ++i;
    }
}
BENCHMARK(KeyboardFilterDecision);

void LeadingNumberOfAnNcCode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(LeadingNumber(u" 12 345 678 9x"));
}
BENCHMARK(LeadingNumberOfAnNcCode);

void StrictNumberOfAnOpacity(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(StrictNumber(u"128"));
}
BENCHMARK(StrictNumberOfAnOpacity);

}  // namespace
}  // namespace quorvel

BENCHMARK_MAIN();
