#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Peaks of resident memory, measured in a fresh process so that nothing the benchmark program
// already holds (the generated files, earlier runs) counts.
namespace corvane::bench {

struct MemoryPeak {
    size_t before = 0;  // resident bytes when the work began
    size_t peak = 0;    // the highest resident bytes while it ran
    size_t growth() const { return peak > before ? peak - before : 0; }
};

// In the fresh process: runs `prepare` (when given), then the work, and prints the work's peak on
// standard output for the parent to read. The result of main.
int reportPeakOf(const std::function<void()>& work, const std::function<void()>& prepare = {});

// Starts this program again with the arguments (its main hands them to reportPeakOf) and returns the
// peak it printed; raises when it failed.
MemoryPeak measureInFreshProcess(const std::vector<std::string>& arguments);

}  // namespace corvane::bench
