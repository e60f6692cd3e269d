#pragma once
// What the store and update benchmarks share: runs over inputs of several sizes, each timed in
// milliseconds of real time with fewer iterations the larger the input.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>

namespace corvane::bench {

inline constexpr double kMegabyte = 1024.0 * 1024.0;

inline std::string megabytes(size_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / kMegabyte);
    return text;
}

// `perMillion` iterations for a million items, at least 3.
inline int iterationsFor(size_t count, int perMillion) {
    return std::max(3, static_cast<int>(perMillion * 1000 / count));
}

// A benchmark of `count` items under `name`, run `iterations` times.
template <class Function, class... Extra>
benchmark::internal::Benchmark* registerRun(const std::string& name, int iterations, Function function,
                                            size_t count, Extra... extra) {
    return benchmark::RegisterBenchmark(name.c_str(), function, count, extra...)
        ->Iterations(iterations)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

}  // namespace corvane::bench
