#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace corvane::bench {

// Registers that the benchmark `name` is judged against `baseline`, measured in the same run.
void compareWith(const std::string& name, const std::string& baseline);

// The console report, followed by one line per comparison: the time per call as a multiple of its
// baseline's, which stays meaningful on a loaded or slower machine where raw times do not.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    std::map<std::string, double> nanosecondsPerCall_;
};

}  // namespace corvane::bench
