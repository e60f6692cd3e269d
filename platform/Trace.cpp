#include "platform/Trace.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/System.h"
#include "platform/Utf.h"

namespace corvane {
namespace {

std::atomic<bool> toStderr{false};

std::mutex& outputLock() {
    static std::mutex lock;
    return lock;
}

void writeLine(std::u16string_view prefix, std::u16string message) {
    // One call is one line, whatever the message holds.
    for (char16_t& c : message)
        if (c == u'\n' || c == u'\r') c = u' ';
    std::u16string line = formatWide(u"[%u] %s%s", system::currentThreadId(), prefix, message);

    std::lock_guard<std::mutex> guard(outputLock());
    if (toStderr.load(std::memory_order_relaxed)) {
        std::string bytes = toUtf8(line) + "\n";
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    }
    auto path = system::environmentVariable(kTraceFileVariable);
    if (path && !path->empty()) {
        system::appendToFile(*path, toUtf8(line) + "\n");
    } else {
        system::writeDebugOutput(line + u"\n");
    }
}

}  // namespace

// A line that cannot be made (out of memory) is dropped: diagnostics never fail their caller, and
// COM methods and destructors trace freely.
void traceArgs(std::u16string_view format, std::span<const FormatArg> args) noexcept {
    try {
        writeLine(u"", formatWideArgs(format, args, kTraceMaxLength));
    } catch (...) {
    }
}

void traceErrorArgs(std::u16string_view format, uint32_t code, std::span<const FormatArg> args) noexcept {
    try {
        writeLine(formatWide(u"error 0x%08X: ", code), formatWideArgs(format, args, kTraceMaxLength));
    } catch (...) {
    }
}

void setTraceToStderr(bool enabled) {
    toStderr.store(enabled, std::memory_order_relaxed);
}

}  // namespace corvane
