// Writes the benchmarks' synthetic data for scripts: "store COUNT FILE" an rssitems.xml as our writer
// makes it, "feed COUNT FILE" an RSS document as a server sends it, "atom COUNT FILE" the same items
// as an Atom document.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "FeedGenerator.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: corvane_bench_data store|feed|atom COUNT FILE\n");
        return 2;
    }
    const std::string_view kind = argv[1];
    const size_t count = std::strtoul(argv[2], nullptr, 10);
    if ((kind != "store" && kind != "feed" && kind != "atom") || count == 0) {
        std::fprintf(stderr, "corvane_bench_data: want store, feed or atom and a count above 0\n");
        return 2;
    }
    const std::string bytes = kind == "store"  ? corvane::bench::generateStore(count)
                              : kind == "atom" ? corvane::bench::generateAtomFeed(count)
                                               : corvane::bench::generateFeed(count);
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "corvane_bench_data: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
