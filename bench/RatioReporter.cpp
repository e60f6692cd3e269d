#include "RatioReporter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace corvane::bench {
namespace {

struct Comparison {
    std::string name;
    std::string baseline;
    double target;
};

struct Figure {
    std::string name;
    std::vector<double> values;
    std::string unit;
    double target;
};

// Benchmarks record from their own threads; the reporter reads on the main one.
struct Registry {
    std::mutex lock;
    std::vector<Comparison> comparisons;
    std::map<std::string, std::vector<double>> secondsPerCall;
    std::vector<Figure> figures;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

const char* verdict(double value, double target) {
    return value <= target ? "met" : "MISSED";
}

}  // namespace

void compareWith(const std::string& name, const std::string& baseline, double target) {
    std::lock_guard guard(registry().lock);
    registry().comparisons.push_back({name, baseline, target});
}

void recordSecondsPerCall(const std::string& name, double seconds) {
    std::lock_guard guard(registry().lock);
    registry().secondsPerCall[name].push_back(seconds);
}

void reportFigure(const std::string& name, double value, const std::string& unit, double target) {
    std::lock_guard guard(registry().lock);
    for (Figure& figure : registry().figures) {
        if (figure.name != name) continue;
        figure.values.push_back(value);
        return;
    }
    registry().figures.push_back({name, {value}, unit, target});
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
        std::string name = run.run_name.function_name;
        if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
        // Seconds, whatever unit the benchmark displays in; manual time when the benchmark uses it.
        recordSecondsPerCall(name, run.real_accumulated_time / static_cast<double>(run.iterations));
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::lock_guard guard(registry().lock);
    std::printf("\nratios to baselines measured in this run:\n");
    const auto& measured = registry().secondsPerCall;
    for (const Comparison& comparison : registry().comparisons) {
        auto time = measured.find(comparison.name);
        auto reference = measured.find(comparison.baseline);
        if (time == measured.end() || reference == measured.end()) continue;
        const double baseline = median(reference->second);
        if (baseline <= 0) continue;
        const double ratio = median(time->second) / baseline;
        std::printf("  %-44s %7.3fx %-28s", comparison.name.c_str(), ratio, comparison.baseline.c_str());
        if (comparison.target > 0)
            std::printf(" target <= %.2fx: %s", comparison.target, verdict(ratio, comparison.target));
        std::printf("\n");
    }
    if (registry().figures.empty()) return;
    std::printf("\nother figures of this run:\n");
    for (const Figure& figure : registry().figures) {
        const double value = median(figure.values);
        std::printf("  %-44s %9.2f %-26s", figure.name.c_str(), value, figure.unit.c_str());
        if (figure.target > 0)
            std::printf(" target <= %.2f: %s", figure.target, verdict(value, figure.target));
        std::printf("\n");
    }
}

int runBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Colours only for a terminal: a report kept in a file stays readable.
    RatioReporter reporter(::isatty(STDOUT_FILENO) ? RatioReporter::OO_ColorTabular
                                                   : RatioReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace corvane::bench
