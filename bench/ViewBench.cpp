// What the message list does with a large feed: deleting 1,000 selected rows (finding their items,
// removing them and sorting again, as the view refreshes after a deletion) and sorting by the text
// the Title and Description cells show, at 10,000 and 100,000 messages, each against a sort of the
// same collection by the stored titles in the same run; and typing a word into the find bar, each
// keystroke filtering the collection again.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FeedGenerator.h"
#include "RatioReporter.h"
#include "SizedRuns.h"
#include "feedstore/RSSDatabase.h"
#include "feedstore/RSSObject.h"
#include "view/MessageFilter.h"
#include "view/MessageList.h"

namespace corvane::bench {
namespace {

constexpr size_t kSizes[] = {10'000, 100'000};
constexpr int kSelectedRows = 1'000;

std::unique_ptr<RSSObject> loadFeed(size_t count) {
    static std::map<size_t, std::filesystem::path> files;
    auto& path = files[count];
    if (path.empty()) path = writeScratchFile("view-" + std::to_string(count) + ".xml", generateStore(count));
    auto feed = std::make_unique<RSSObject>();
    feed->itemsPath = path.u16string();
    feed->initializeItems();
    return feed;
}

std::string nameOf(std::string_view what, size_t count) {
    return "View/" + std::string(what) + "/" + std::to_string(count);
}

void sortByTitle(benchmark::State& state, size_t count) {
    auto feed = loadFeed(count);
    RSSDatabase database(*feed);
    for (auto _ : state) {
        database.sort(kColumnTitle, true);
        benchmark::DoNotOptimize(database.itemAt(0));
    }
}

// Sorting by what the cells show: the text of each title's or description's markup, made once per
// item for the sort.
void sortByShownText(benchmark::State& state, size_t count, int column) {
    auto feed = loadFeed(count);
    RSSDatabase database(*feed);
    database.setShownText(&messagelist::shownSortText);
    for (auto _ : state) {
        database.sort(column, true);
        benchmark::DoNotOptimize(database.itemAt(0));
    }
}

// What the sort and the list read of an item.
std::unique_ptr<RSSItem> copyOf(const RSSItem& item) {
    auto copy = std::make_unique<RSSItem>();
    copy->title = item.title;
    copy->description = item.description;
    copy->link = item.link;
    copy->id = item.id;
    copy->hasDate = item.hasDate;
    copy->publishedTime = item.publishedTime;
    copy->publishedFileTime = item.publishedFileTime;
    copy->label = item.label;
    return copy;
}

// Rows spread over the whole list, as a user's selection of every hundredth message would be.
void deleteSelectedRows(benchmark::State& state, size_t count) {
    auto feed = loadFeed(count);
    std::vector<std::unique_ptr<RSSItem>> spare;
    for (auto _ : state) {
        // Put back what the last round deleted, untimed, so every round deletes from `count` items.
        for (auto& item : spare)
            feed->items.push_back(std::move(item));
        spare.clear();
        RSSDatabase database(*feed);
        database.sort(kColumnTitle, true);
        std::vector<int> rows;
        for (int n = 0; n < kSelectedRows; ++n)
            rows.push_back(static_cast<int>(n * (count / kSelectedRows)));
        for (int row : rows)
            spare.push_back(copyOf(*database.itemAt(row)));

        auto start = std::chrono::steady_clock::now();
        database.remove(messagelist::itemsOfRows(database, rows));
        database.sort(RSSDatabase::sortColumn, RSSDatabase::sortAscending);
        benchmark::DoNotOptimize(database.itemAt(0));
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

// Typing a word into the find bar of a folder whose messages the view indexed while it waited for
// input: each keystroke compares the query with the folder's words, a further one filters only the
// rows the last one kept. The time is per keystroke; the first keystroke and the later ones are
// reported beside it, and the indexing (untimed here) as index_ms.
void typeWord(benchmark::State& state, size_t count) {
    auto feed = loadFeed(count);
    RSSDatabase database(*feed);
    database.sort(kColumnDate, false);
    const std::u16string word = u"hospital";
    double first = 0, later = 0, indexing = 0;
    size_t shown = 0;
    for (auto _ : state) {
        MessageFilter filter;
        auto indexStart = std::chrono::steady_clock::now();
        while (!filter.prepare(database, std::chrono::milliseconds(25))) {
        }
        indexing += std::chrono::duration<double>(std::chrono::steady_clock::now() - indexStart).count();
        double total = 0;
        for (size_t typed = 1; typed <= word.size(); ++typed) {
            auto start = std::chrono::steady_clock::now();
            filter.setQuery(word.substr(0, typed), database);
            double keystroke =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            total += keystroke;
            (typed == 1 ? first : later) += keystroke;
        }
        shown = filter.rowCount(database);
        state.SetIterationTime(total / static_cast<double>(word.size()));
    }
    const double rounds = static_cast<double>(state.iterations());
    state.counters["first_ms"] = first * 1000 / rounds;
    state.counters["later_ms"] = later * 1000 / rounds / static_cast<double>(word.size() - 1);
    state.counters["shown"] = static_cast<double>(shown);
    state.counters["index_ms"] = indexing * 1000 / rounds;
}

void registerBenchmarks() {
    for (size_t count : kSizes) {
        const std::string baseline = nameOf("SortByTitle", count);
        registerRun(baseline, iterationsFor(count, 2000), sortByTitle, count);
        benchmark::RegisterBenchmark(nameOf("DeleteSelectedRows", count).c_str(), deleteSelectedRows, count)
            ->Iterations(iterationsFor(count, 2000))
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
        compareWith(nameOf("DeleteSelectedRows", count), baseline, count >= 100'000 ? 1.5 : 0);
        for (auto [what, column] : {std::pair{"SortByShownTitle", kColumnTitle},
                                    std::pair{"SortByShownDescription", kColumnDescription}}) {
            registerRun(nameOf(what, count), iterationsFor(count, 2000), sortByShownText, count, column);
            compareWith(nameOf(what, count), baseline, 0);
        }
        benchmark::RegisterBenchmark(nameOf("TypeWordPerKeystroke", count).c_str(), typeWord, count)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
        compareWith(nameOf("TypeWordPerKeystroke", count), baseline, 0);
    }
}

}  // namespace
}  // namespace corvane::bench

int main(int argc, char** argv) {
    corvane::bench::registerBenchmarks();
    return corvane::bench::runBenchmarks(argc, argv);
}
