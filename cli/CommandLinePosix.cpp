#include "cli/CommandLine.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace corvane::cli {
namespace {

// Held for the process (see prepareHeapForUpdate). Volatile: an allocation nothing reads is one the
// compiler may leave out.
[[maybe_unused]] void* volatile heapFiller = nullptr;

}  // namespace

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
    constexpr size_t kBlock = size_t{64} << 10;
    std::array<void*, 16> blocks{};
    for (void*& block : blocks) {
        block = std::malloc(kBlock);
        if (!block || brk() != start) break;
    }
    const uintptr_t end = brk();
    for (void* block : blocks)
        std::free(block);
    if (end == static_cast<uintptr_t>(-1) || end <= start) return;
    // Only its new part: the pages below are in use already.
    const uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t to = end & ~(kLargePage - 1);
    if (to <= from) return;
    madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    // Below `from` the pages are small, and malloc hands them out first: a folder's ids and the
    // text of its settings took some two hundred faults there. A block held for the process fills
    // them, untouched, so that the heap's free part begins at `from`. The freed blocks joined the
    // free top, which one more block shows the start of; the filler's size is chunk arithmetic (a
    // chunk is its request and 8 bytes, rounded up to 16). Got wrong, the first pages stay small.
    void* const probe = std::malloc(kBlock);
    const uintptr_t top = probe ? reinterpret_cast<uintptr_t>(probe) - 16 : 0;
    std::free(probe);
    if (top == 0 || top % 16 != 0 || top + 64 > from) return;
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargePage));
    heapFiller = std::malloc(from - top - 16);
    mallopt(M_MMAP_THRESHOLD, 128 << 10);  // the default
#else
    (void)argc;
    (void)argv;
#endif
}

void leaveProgram(int status) {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    std::fflush(nullptr);
    _exit(status);
#else
    (void)status;
#endif
}

}  // namespace corvane::cli
