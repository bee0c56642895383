// The benchmark program: every comparison as two Google Benchmark runs, the
// figure and its baseline, then a table of the ratios. With --instructions
// (under callgrind) each operation runs a fixed number of times between two
// client requests instead, so that scripts/bench.sh can compare instruction
// counts, which the load of a shared machine does not change.
#include <benchmark/benchmark.h>
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "comparisons.h"

std::vector<Comparison>& Comparisons() {
  static std::vector<Comparison> comparisons;
  return comparisons;
}

bool RegisterComparison(Comparison comparison) {
  Comparisons().push_back(std::move(comparison));
  return true;
}

namespace {

const char BASELINE_SUFFIX[] = " [baseline]";

void RunOperation(benchmark::State& state, BenchSource& source, const OperationMaker& make) {
  std::unique_ptr<Operation> operation = make(source);
  if (!operation->Ready()) {
    state.SkipWithError("set-up failed");
    return;
  }
  for (auto _ : state) operation->Run();
}

// The console output as usual, and the CPU time per iteration of each run
// kept for the table of ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      // The median of repetitions when there are any, else the one run.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (!median && run.run_type != Run::RT_Iteration) continue;
      const std::string& name = run.run_name.function_name;
      if (!median && medians_.count(name) != 0) continue;
      if (median) medians_.insert(name);
      nanoseconds_[name] = run.GetAdjustedCPUTime() *
                           benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                           benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
  }

  void PrintRatios() const {
    printf("\n%-28s %14s %14s %8s %6s\n", "figure", "source (us)", "baseline (us)", "ratio",
           "goal");
    for (const Comparison& comparison : Comparisons()) {
      auto figure = nanoseconds_.find(comparison.figure);
      auto baseline = nanoseconds_.find(comparison.figure + BASELINE_SUFFIX);
      if (figure == nanoseconds_.end()) {
        printf("%-28s %14s\n", comparison.figure.c_str(), "skipped");
        continue;
      }
      printf("%-28s %14.2f", comparison.figure.c_str(), figure->second / 1000);
      if (baseline != nanoseconds_.end()) {
        double ratio = figure->second / baseline->second;
        printf(" %14.2f %8.2f", baseline->second / 1000, ratio);
        if (comparison.goal > 0) {
          printf(" %6.1f%s", comparison.goal, ratio <= comparison.goal ? "" : "  missed");
        }
      }
      printf("\n");
    }
  }

 private:
  std::map<std::string, double> nanoseconds_;
  std::set<std::string> medians_;
};

void PrintLoad(const char* when) {
  double load[3] = {0, 0, 0};
  if (getloadavg(load, 3) == 3) {
    printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
  }
}

// One dump per operation, named "<figure>|<role>|<iterations>".
constexpr int COUNTED_ITERATIONS = 5;

void CountOne(BenchSource& source, const std::string& figure, const char* role,
              const OperationMaker& make) {
  std::unique_ptr<Operation> operation = make(source);
  if (!operation->Ready()) {
    fprintf(stderr, "%s %s: set-up failed\n", figure.c_str(), role);
    return;
  }
  operation->Run();  // warm: first allocations, file and cache state
  std::string name = figure + "|" + role + "|" + std::to_string(COUNTED_ITERATIONS);
  CALLGRIND_ZERO_STATS;
  for (int i = 0; i < COUNTED_ITERATIONS; ++i) operation->Run();
  CALLGRIND_DUMP_STATS_AT(name.c_str());
}

int CountInstructions(BenchSource& source, const char* filter) {
  if (!RUNNING_ON_VALGRIND) {
    fprintf(stderr, "--instructions counts only under valgrind --tool=callgrind\n");
    return 2;
  }
  for (const Comparison& comparison : Comparisons()) {
    if (filter != nullptr && comparison.figure.find(filter) == std::string::npos) continue;
    CountOne(source, comparison.figure, "figure", comparison.measure);
    if (comparison.baseline) CountOne(source, comparison.figure, "baseline", comparison.baseline);
    printf("goal %s %g\n", comparison.figure.c_str(), comparison.goal);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  BenchSource source;
  if (argc >= 2 && strcmp(argv[1], "--instructions") == 0) {
    return CountInstructions(source, argc >= 3 ? argv[2] : nullptr);
  }

  for (const Comparison& comparison : Comparisons()) {
    benchmark::RegisterBenchmark(comparison.figure.c_str(), RunOperation, std::ref(source),
                                 comparison.measure);
    if (comparison.baseline) {
      benchmark::RegisterBenchmark((comparison.figure + BASELINE_SUFFIX).c_str(), RunOperation,
                                   std::ref(source), comparison.baseline);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  PrintLoad("before");
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintLoad("after");
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
