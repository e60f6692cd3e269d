#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "RatioReporter.h"
#include "feedstore/ItemId.h"
#include "feedstore/Md5.h"

namespace {

const std::u16string kGuid = u"http://127.0.0.1:8080/news/2003/06/10/item-000123";
const std::u16string kTitle = u"Corvane reaches the first milestone of its news folder";
const std::u16string kLink = u"http://127.0.0.1:8080/news/2003/06/10/item-000123.html";
const corvane::SystemTime kPublished{2003, 6, 2, 10, 4, 0, 0, 0};

void MakeItemId(benchmark::State& state) {
    for (auto _ : state) {
        std::u16string id = corvane::makeItemId(kGuid, &kPublished, kTitle, kLink);
        benchmark::DoNotOptimize(id);
    }
}
BENCHMARK(MakeItemId);

// Baseline: the digest alone over the same bytes, prepared once; what makeItemId adds is building
// the key and encoding the digest.
void Md5Baseline(benchmark::State& state) {
    std::u16string key = kGuid + u"200306100400" + kTitle + kLink;
    std::vector<uint8_t> bytes;
    for (char16_t unit : key)
        bytes.insert(bytes.end(), {uint8_t(unit & 0xFF), uint8_t(unit >> 8)});
    for (auto _ : state) {
        corvane::Md5Digest digest = corvane::md5(bytes);
        benchmark::DoNotOptimize(digest);
    }
}
BENCHMARK(Md5Baseline);

const bool registered = (corvane::bench::compareWith("MakeItemId", "Md5Baseline"), true);

}  // namespace
