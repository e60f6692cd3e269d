#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace corvane::bench {

// Registers that the benchmark `name` is judged against `baseline`, measured in the same run. A
// positive `target` is the largest ratio that still meets it. Names are those the console shows,
// arguments included ("Load/1000"), without the iteration and time settings.
void compareWith(const std::string& name, const std::string& baseline, double target = 0);

// A time per call that a benchmark measured for a part of its work (a flush inside a save, say), so
// that it can be compared under `name` like a benchmark's own.
void recordSecondsPerCall(const std::string& name, double seconds);

// A figure that is no time (a memory peak as a multiple of a file's size, say), listed after the
// ratios; a positive `target` is the largest value that still meets it.
void reportFigure(const std::string& name, double value, const std::string& unit, double target = 0);

// The console report, followed by one line per comparison: the time per call as a multiple of its
// baseline's, which stays meaningful on a loaded or slower machine where raw times do not. With
// repetitions, each name's median counts.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    using ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;
};

// Runs the benchmarks the command line selects with the ratio report; the result of main.
int runBenchmarks(int argc, char** argv);

}  // namespace corvane::bench
