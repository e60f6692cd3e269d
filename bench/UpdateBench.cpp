// A feed update of 1,000, 10,000 and 100,000 items served from 127.0.0.1: download, read, ids and the
// merge into the feed object, first into an empty feed and then again with every item known, each
// against libxml2 reading and freeing the same bytes in the same run; and the memory it needs. The
// read of the same items as Atom is held to the read of the RSS.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "FeedGenerator.h"
#include "LoopbackServer.h"
#include "PeakMemory.h"
#include "RatioReporter.h"
#include "SizedRuns.h"
#include "feedstore/FeedUpdate.h"
#include "feedstore/RSSObject.h"
#include "platform/Utf.h"
#include "retrieval/FeedDownload.h"
#include "retrieval/UrlDownloader.h"

namespace corvane::bench {
namespace {

constexpr size_t kSizes[] = {1'000, 10'000, 100'000};
// Far more than a full run takes; the server stops by itself after it in any case.
constexpr auto kServerLifetime = std::chrono::minutes(20);

struct Feeds {
    std::map<size_t, std::string> documents;  // declared first: the server serves from them until its end
    LoopbackServer server{kServerLifetime};
};

Feeds& feeds() {
    static Feeds instance;
    return instance;
}

std::string pathOf(size_t count) {
    return "/feed-" + std::to_string(count) + ".xml";
}

const std::string& feedOf(size_t count) {
    Feeds& all = feeds();
    auto found = all.documents.find(count);
    if (found != all.documents.end()) return found->second;
    const std::string& document = all.documents.emplace(count, generateFeed(count)).first->second;
    all.server.publish(pathOf(count), document);
    return document;
}

std::u16string urlOf(size_t count) {
    feedOf(count);
    return fromUtf8(feeds().server.url(pathOf(count)));
}

std::string nameOf(std::string_view what, size_t count) {
    return "Update/" + std::string(what) + "/" + std::to_string(count);
}

// One update as the feed workers run it, from the snapshot of the known ids to the feed object
// taking the result over.
bool update(RSSObject& feed, const std::u16string& url) {
    const std::shared_ptr<const KnownItemIds> known = feed.knownIds();
    FeedFetch fetch;
    const Status status = downloadFeed(url, nullptr, {}, fetch, known.get());
    const bool read = status == kStatusOk && !fetch.notRss && !fetch.downloadFailed;
    feed.takeFetch(std::move(fetch));
    return read;
}

// Baseline: libxml2 alone reading, parsing and freeing the bytes, with the options the backend uses.
void bareParse(benchmark::State& state, size_t count) {
    const std::string& document = feedOf(count);
    if (document.size() > static_cast<size_t>(INT_MAX)) state.SkipWithError("the feed is too large");
    for (auto _ : state) {
        xmlDocPtr parsed = xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr, nullptr,
                                         XML_PARSE_NONET);
        if (!parsed) {
            state.SkipWithError("libxml2 could not read the feed");
            break;
        }
        xmlFreeDoc(parsed);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}

// For the record: the download alone.
void download(benchmark::State& state, size_t count) {
    const std::u16string url = urlOf(count);
    for (auto _ : state) {
        kturldownloader downloader;
        kturldownloader_job* job = downloader.addUrl(url);
        if (downloader.download(nullptr) != kStatusOk || job->bytes().size() != feedOf(count).size()) {
            state.SkipWithError("the download failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feedOf(count).size()));
}

const std::string& atomOf(size_t count) {
    static std::map<size_t, std::string> documents;
    auto found = documents.find(count);
    if (found == documents.end()) found = documents.emplace(count, generateAtomFeed(count)).first;
    return found->second;
}

// For the record: reading the downloaded bytes into a fetch, without the download.
void readDocument(benchmark::State& state, size_t count, bool atom) {
    const std::string& document = atom ? atomOf(count) : feedOf(count);
    const auto bytes = std::span(reinterpret_cast<const uint8_t*>(document.data()), document.size());
    const std::u16string url = urlOf(count);
    for (auto _ : state) {
        FeedFetch fetch;
        readFeedDocument(bytes, url, fetch);
        if (fetch.notRss || fetch.items.size() != count) {
            state.SkipWithError("the feed was not read");
            break;
        }
    }
}

void firstUpdate(benchmark::State& state, size_t count) {
    const std::u16string url = urlOf(count);
    for (auto _ : state) {
        auto feed = std::make_unique<RSSObject>();
        const bool read = update(*feed, url);
        state.PauseTiming();
        if (!read || feed->items.size() != count) state.SkipWithError("the update did not take every item");
        feed.reset();  // the feed lives on in its folder: its end is no part of an update
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feedOf(count).size()));
}

void knownUpdate(benchmark::State& state, size_t count) {
    const std::u16string url = urlOf(count);
    RSSObject feed;
    if (!update(feed, url) || feed.items.size() != count) state.SkipWithError("the first update failed");
    for (auto _ : state) {
        if (!update(feed, url) || feed.items.size() != count) {
            state.SkipWithError("the update changed the items");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feedOf(count).size()));
}

void updatePeakMemory(benchmark::State& state, size_t count, double target) {
    const std::string url = toUtf8(urlOf(count));
    const double size = static_cast<double>(feedOf(count).size());
    MemoryPeak first, known;
    for (auto _ : state) {
        first = measureInFreshProcess({"--measure-update", url, std::to_string(count), "first"});
        known = measureInFreshProcess({"--measure-update", url, std::to_string(count), "known"});
    }
    state.counters["feed_MB"] = size / kMegabyte;
    state.counters["peak_MB"] = static_cast<double>(first.peak) / kMegabyte;
    state.counters["growth_x_feed"] = static_cast<double>(first.growth()) / size;
    state.counters["known_growth_x_feed"] = static_cast<double>(known.growth()) / size;
    reportFigure(nameOf("UpdatePeakMemory", count) + " growth", static_cast<double>(first.growth()) / size,
                 "x the document's size", target);
    reportFigure(nameOf("UpdatePeakMemory", count) + " peak", static_cast<double>(first.peak) / kMegabyte,
                 "MB, the document " + megabytes(feedOf(count).size()));
    reportFigure(nameOf("KnownUpdatePeakMemory", count) + " growth",
                 static_cast<double>(known.growth()) / size, "x the document's size");
}

// In the fresh process of updatePeakMemory: "first" measures an update into an empty feed, "known"
// a second update once the first has taken every item.
int measureUpdate(const std::string& url, size_t count, std::string_view which) {
    RSSObject feed;
    const std::u16string address = fromUtf8(url);
    auto run = [&] {
        if (!update(feed, address) || feed.items.size() != count)
            throw std::runtime_error("the update did not take every item");
    };
    if (which == "known") return reportPeakOf(run, run);
    return reportPeakOf(run);
}

void registerBenchmarks() {
    for (size_t count : kSizes) {
        const std::string baseline = nameOf("BareParse", count);
        const bool judged = count >= 10'000;
        registerRun(baseline, iterationsFor(count, 200), bareParse, count);
        registerRun(nameOf("Download", count), iterationsFor(count, 200), download, count);
        registerRun(nameOf("ReadFeedDocument", count), iterationsFor(count, 200), readDocument, count, false);
        registerRun(nameOf("ReadAtomDocument", count), iterationsFor(count, 200), readDocument, count, true);
        registerRun(nameOf("FirstUpdate", count), iterationsFor(count, 200), firstUpdate, count);
        registerRun(nameOf("KnownUpdate", count), iterationsFor(count, 200), knownUpdate, count);
        registerRun(nameOf("UpdatePeakMemory", count), 1, updatePeakMemory, count, judged ? 6.0 : 0.0);

        compareWith(nameOf("Download", count), baseline);
        compareWith(nameOf("ReadFeedDocument", count), baseline);
        compareWith(nameOf("ReadAtomDocument", count), nameOf("ReadFeedDocument", count), judged ? 1.0 : 0);
        compareWith(nameOf("FirstUpdate", count), baseline, judged ? 1.8 : 0);
        compareWith(nameOf("KnownUpdate", count), baseline, judged ? 1.5 : 0);
    }
}

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
    if (argc == 5 && std::string_view(argv[1]) == "--measure-update")
        return corvane::bench::measureUpdate(argv[2], std::stoul(argv[3]), argv[4]);
    corvane::bench::registerBenchmarks();
    return corvane::bench::runBenchmarks(argc, argv);
}
