#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/WideFormat.h"

// Diagnostics for developers, never shown to users. Each call writes one line: to the file named by
// the environment variable CORVANE_TRACE when it is set, otherwise to the debugger channel on
// Windows (nowhere natively); and to stderr as well once setTraceToStderr(true) was called.
namespace corvane {

constexpr size_t kTraceMaxLength = 2048;
inline constexpr char16_t kTraceFileVariable[] = u"CORVANE_TRACE";

void traceArgs(std::u16string_view format, std::span<const FormatArg> args) noexcept;
void traceErrorArgs(std::u16string_view format, uint32_t code, std::span<const FormatArg> args) noexcept;
void setTraceToStderr(bool enabled);

template <class... Args>
void trace(std::u16string_view format, const Args&... args) noexcept {
    const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    traceArgs(format, list);
}

// `code` is the status or system error code the message is about (an HRESULT, a last-error value).
template <class... Args>
void traceError(std::u16string_view format, uint32_t code, const Args&... args) noexcept {
    const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    traceErrorArgs(format, code, list);
}

}  // namespace corvane
