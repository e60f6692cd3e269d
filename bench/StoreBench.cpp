// The item store at 1,000, 10,000 and 100,000 items: load, save and sort, each against libxml2 reading
// and freeing the same file in the same run, and the memory a load needs at its peak.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "FeedGenerator.h"
#include "PeakMemory.h"
#include "RatioReporter.h"
#include "SizedRuns.h"
#include "feedstore/RSSDatabase.h"
#include "feedstore/RSSObject.h"
#include "platform/FileReplace.h"

namespace corvane::bench {
namespace {

constexpr size_t kSizes[] = {1'000, 10'000, 100'000};

struct StoreFile {
    std::filesystem::path path;
    size_t size = 0;
};

const StoreFile& storeOf(size_t count) {
    static std::map<size_t, StoreFile> files;
    auto found = files.find(count);
    if (found != files.end()) return found->second;
    const std::string bytes = generateStore(count);
    StoreFile file{writeScratchFile("rssitems-" + std::to_string(count) + ".xml", bytes), bytes.size()};
    return files.emplace(count, std::move(file)).first->second;
}

std::unique_ptr<RSSObject> loadStore(size_t count) {
    auto feed = std::make_unique<RSSObject>();
    feed->itemsPath = storeOf(count).path.u16string();
    feed->initializeItems();
    return feed;
}

// One loaded feed per size for the benchmarks that start from loaded items.
RSSObject& loadedFeed(size_t count) {
    static std::map<size_t, std::unique_ptr<RSSObject>> feeds;
    std::unique_ptr<RSSObject>& feed = feeds[count];
    if (!feed) feed = loadStore(count);
    return *feed;
}

std::string nameOf(std::string_view what, size_t count) {
    return "Store/" + std::string(what) + "/" + std::to_string(count);
}

// Baseline: libxml2 alone reading, parsing and freeing the file, with the options the backend uses.
void bareParse(benchmark::State& state, size_t count) {
    const StoreFile& file = storeOf(count);
    const std::string path = file.path.string();
    for (auto _ : state) {
        xmlDocPtr document = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
        if (!document) {
            state.SkipWithError("libxml2 could not read the store");
            break;
        }
        xmlFreeDoc(document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size));
}

void initializeItems(benchmark::State& state, size_t count) {
    const StoreFile& file = storeOf(count);
    for (auto _ : state) {
        auto feed = std::make_unique<RSSObject>();
        feed->itemsPath = file.path.u16string();
        feed->initializeItems();
        state.PauseTiming();
        if (feed->items.size() != count) state.SkipWithError("the load did not give every item");
        feed.reset();  // the loaded feed lives on in the folder's view: its end is no part of a load
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size));
}

// The time shown is a save without its flushes to disk; the flushes and the whole save are recorded
// beside it.
void storeItems(benchmark::State& state, size_t count) {
    RSSObject& feed = loadedFeed(count);
    feed.itemsPath = (scratchFolder() / ("stored-" + std::to_string(count) + ".xml")).u16string();
    std::chrono::nanoseconds flushed{};
    std::chrono::nanoseconds flushes{}, whole{};
    detail::flushTimeSpent = &flushed;
    for (auto _ : state) {
        flushed = {};
        const auto start = std::chrono::steady_clock::now();
        const bool stored = feed.storeItems();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!stored) {
            state.SkipWithError("storeItems failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed - flushed).count());
        flushes += flushed;
        whole += elapsed;
    }
    detail::flushTimeSpent = nullptr;
    if (state.iterations() == 0) return;
    const double calls = static_cast<double>(state.iterations());
    recordSecondsPerCall(nameOf("StoreItemsFlush", count),
                         std::chrono::duration<double>(flushes).count() / calls);
    recordSecondsPerCall(nameOf("StoreItemsWithFlush", count),
                         std::chrono::duration<double>(whole).count() / calls);
    state.counters["flush_ms"] = std::chrono::duration<double, std::milli>(flushes).count() / calls;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * storeOf(count).size));
}

void sortByTitle(benchmark::State& state, size_t count) {
    RSSDatabase database(loadedFeed(count));
    for (auto _ : state) {
        database.sort(kColumnTitle, true);
        benchmark::DoNotOptimize(database.itemAt(0));
    }
}

void loadPeakMemory(benchmark::State& state, size_t count, double target) {
    const StoreFile& file = storeOf(count);
    MemoryPeak peak;
    for (auto _ : state)
        peak = measureInFreshProcess({"--measure-load", file.path.string(), std::to_string(count)});
    const double ratio = static_cast<double>(peak.growth()) / static_cast<double>(file.size);
    state.counters["file_MB"] = static_cast<double>(file.size) / kMegabyte;
    state.counters["peak_MB"] = static_cast<double>(peak.peak) / kMegabyte;
    state.counters["growth_x_file"] = ratio;
    reportFigure(nameOf("LoadPeakMemory", count) + " growth", ratio, "x the file's size", target);
    reportFigure(nameOf("LoadPeakMemory", count) + " peak", static_cast<double>(peak.peak) / kMegabyte,
                 "MB, the file " + megabytes(file.size));
}

// In the fresh process of loadPeakMemory.
int measureLoad(const char* path, const char* count) {
    return reportPeakOf([&] {
        RSSObject feed;
        feed.itemsPath = std::filesystem::path(path).u16string();
        feed.initializeItems();
        if (feed.items.size() != std::stoul(count))
            throw std::runtime_error("the load did not give every item");
    });
}

void registerBenchmarks() {
    for (size_t count : kSizes) {
        const std::string baseline = nameOf("BareParse", count);
        registerRun(baseline, iterationsFor(count, 200), bareParse, count);
        registerRun(nameOf("InitializeItems", count), iterationsFor(count, 200), initializeItems, count);
        benchmark::RegisterBenchmark(nameOf("StoreItemsWithoutFlush", count).c_str(), storeItems, count)
            ->Iterations(iterationsFor(count, 100))
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
        registerRun(nameOf("SortByTitle", count), iterationsFor(count, 2000), sortByTitle, count);
        registerRun(nameOf("LoadPeakMemory", count), 1, loadPeakMemory, count, count >= 100'000 ? 6.0 : 0.0);

        const bool large = count >= 100'000;
        compareWith(nameOf("InitializeItems", count), baseline, large ? 1.5 : 0);
        compareWith(nameOf("StoreItemsWithoutFlush", count), baseline, large ? 1.2 : 0);
        compareWith(nameOf("StoreItemsFlush", count), baseline);
        compareWith(nameOf("StoreItemsWithFlush", count), baseline);
        compareWith(nameOf("SortByTitle", count), baseline, large ? 0.1 : 0);
    }
}

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--measure-load")
        return corvane::bench::measureLoad(argv[2], argv[3]);
    corvane::bench::registerBenchmarks();
    return corvane::bench::runBenchmarks(argc, argv);
}
