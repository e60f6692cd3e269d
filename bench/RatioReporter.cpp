#include "RatioReporter.h"

#include <cstdio>

namespace corvane::bench {
namespace {

std::vector<std::pair<std::string, std::string>>& comparisons() {
    static std::vector<std::pair<std::string, std::string>> list;
    return list;
}

}  // namespace

void compareWith(const std::string& name, const std::string& baseline) {
    comparisons().emplace_back(name, baseline);
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs)
        if (run.run_type == Run::RT_Iteration && !run.error_occurred)
            nanosecondsPerCall_[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::printf("\nratios to baselines measured in this run:\n");
    for (const auto& [name, baseline] : comparisons()) {
        auto measured = nanosecondsPerCall_.find(name);
        auto reference = nanosecondsPerCall_.find(baseline);
        if (measured == nanosecondsPerCall_.end() || reference == nanosecondsPerCall_.end() ||
            reference->second <= 0)
            continue;
        std::printf("  %-40s %6.2fx %s\n", name.c_str(), measured->second / reference->second,
                    baseline.c_str());
    }
}

}  // namespace corvane::bench
