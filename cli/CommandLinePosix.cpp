#include "cli/CommandLine.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace corvane::cli {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void prepareHeapForUpdate(int argc, char** argv) {
#ifdef __GLIBC__
    if (argc < 2 || std::string_view(argv[1]) != "update" || std::getenv("GLIBC_TUNABLES")) return;
    // A first update of 10,000 items took 7,000 page faults and 0.25 s of CPU, with large pages
    // 1,000 faults and 0.16 s (a virtual machine, where a fault costs 10 us and more).
    constexpr size_t kGrowth = size_t{64} << 20;
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    if (mallopt(M_TOP_PAD, static_cast<int>(kGrowth)) != 1) return;
    // A heap that shrank would grow back in 4 kB pages.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    // Feeds of several folders are read on threads of their own, each best with its own arena.
    if (std::any_of(argv + 2, argv + argc, [](const char* a) { return std::string_view(a) == "--all"; }))
        return;
    // One folder's feed is read on a worker thread: it must use the process heap, the one that
    // gets large pages.
    mallopt(M_ARENA_MAX, 1);
    const auto brk = [] { return reinterpret_cast<uintptr_t>(sbrk(0)); };
    const uintptr_t start = brk();
    if (start == static_cast<uintptr_t>(-1)) return;  // no heap to grow: malloc maps its memory
    // Blocks small enough for the heap (not mapped on their own), until it has grown once.
    std::array<void*, 16> blocks{};
    for (void*& block : blocks) {
        block = std::malloc(size_t{64} << 10);
        if (!block || brk() != start) break;
    }
    const uintptr_t end = brk();
    for (void* block : blocks)
        std::free(block);
    if (end == static_cast<uintptr_t>(-1) || end < start) return;
    // Only its new part: the pages below are in use already.
    const uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t to = end & ~(kLargePage - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)argc;
    (void)argv;
#endif
}

}  // namespace corvane::cli
