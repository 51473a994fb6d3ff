// Micro-benchmarks of the hot loops: the scanner, heap_sort4, the pairing
// of note starts with their ends, and the three-decimal formatter.

#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/compute_durations.h"
#include "analysis/heap_sort4.h"
#include "analysis/sort_by_time.h"
#include "driver/run_state.h"
#include "reader/scanner.h"
#include "writer/format_decimal.h"

namespace morvane {
namespace {

// A table of n events: notes of 8 channels, many starting together.
void music(EventTable& table, std::size_t n) {
  std::mt19937 random(1);
  table.slots.assign(1, StoredEvent{});
  int32_t tick = 0;
  while (table.events() + 2 <= n) {
    const int32_t note = 48 + static_cast<int32_t>(random() % 36);
    const int32_t channel = 1 + static_cast<int32_t>(random() % 8);
    // Every field fits a byte: packed.
    table.slots.push_back({tick, EventTable::pack({tick, channel, note, 80})});
    table.slots.push_back(
        {tick + 240, EventTable::pack({tick + 240, channel, note, 0})});
    tick += static_cast<int32_t>(random() % 2) * 120;
  }
}

void BM_ScanEvent(benchmark::State& state) {
  const std::string lines[] = {"123840 On ch=3 n=64 v=92\n",
                               "124080 Off ch=3 n=64 v=64\n",
                               "124100 Pb ch=3 v=8192\n"};
  EventFields fields;
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(scan_event(lines[k++ % 3], fields));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScanEvent);

void BM_HeapSort4(benchmark::State& state) {
  EventTable table;
  music(table, static_cast<std::size_t>(state.range(0)));
  const std::size_t n = table.slots.size() - 1;
  const HeapLayout layout(n);
  std::vector<StoredEvent> laid_out(layout.places());
  for (std::size_t i = 1; i <= n; ++i) {
    laid_out[layout.place(i)] = table.slots[i];
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto copy = laid_out;
    state.ResumeTiming();
    auto key = [](const StoredEvent& e) { return e.time_ticks; };
    heap_build_top4(n, copy.data(), layout, key, n / 2 + 1);
    heap_extract4(n, copy.data(), layout, key);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_HeapSort4)->Arg(100000)->Arg(1000000);

void BM_ComputeDurations(benchmark::State& state) {
  std::ostringstream out, err;
  std::istringstream keys;
  RunState run(out, err, keys);
  run.division = 480;
  music(run.table, static_cast<std::size_t>(state.range(0)));
  sort_by_time(run);
  for (auto _ : state) compute_durations(run);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ComputeDurations)->Arg(1000000);

void BM_AppendFixed3(benchmark::State& state) {
  std::string out;
  float value = 0.0f;
  for (auto _ : state) {
    out.clear();
    append_fixed3(out, value);
    value += 0.0625f;
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendFixed3);

}  // namespace
}  // namespace morvane

BENCHMARK_MAIN();
