#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "feedstore/PubDate.h"

namespace {

// Dates as feeds write them: named and numeric zones, with and without a day carry.
const std::vector<std::u16string>& sampleDates() {
    static const std::vector<std::u16string> dates{
        u"Tue, 10 Jun 2003 04:00:00 GMT",   u"Wed, 02 Oct 2002 13:00:00 +0200",
        u"Thu, 31 Dec 2026 23:30:00 +0100", u"Mon, 01 Mar 2004 00:30:00 -0100",
        u"Fri, 13 Feb 2009 23:31:30 EST",   u"Sat, 07 Sep 2002 09:42:31 Z",
    };
    return dates;
}

void ParsePubDate(benchmark::State& state) {
    const auto& dates = sampleDates();
    size_t i = 0;
    corvane::SystemTime out;
    for (auto _ : state) {
        bool parsed = corvane::parsePubDate(dates[i++ % dates.size()], &out);
        benchmark::DoNotOptimize(parsed);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(ParsePubDate);

// Baseline: the C library's scanner reading the same fields from the same texts, already narrow.
void SscanfBaseline(benchmark::State& state) {
    std::vector<std::string> narrow;
    for (const auto& date : sampleDates())
        narrow.emplace_back(date.begin(), date.end());
    size_t i = 0;
    for (auto _ : state) {
        char weekday[20], month[20], zone[20];
        int day, year, hour, minute, second;
        int fields = std::sscanf(narrow[i++ % narrow.size()].c_str(), "%19s %d %19s %d %d:%d:%d %19s",
                                 weekday, &day, month, &year, &hour, &minute, &second, zone);
        benchmark::DoNotOptimize(fields);
    }
}
BENCHMARK(SscanfBaseline);

const bool registered = (corvane::bench::compareWith("ParsePubDate", "SscanfBaseline"), true);

}  // namespace
