#pragma once
// Windows only: how every interface method, export, window procedure and subclass procedure keeps C++
// exceptions inside the library.

#include <windows.h>

#include <cstdint>
#include <new>

#include "platform/Trace.h"

namespace corvane {

// Runs `body`, which returns an HRESULT, so that no exception crosses the COM boundary: running out of
// memory answers E_OUTOFMEMORY, any other exception E_UNEXPECTED, traced with `where` (the method).
template <class Body>
HRESULT comCall(const char16_t* where, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        traceError(u"%s: unexpected exception", static_cast<uint32_t>(E_UNEXPECTED), where);
        return E_UNEXPECTED;
    }
}

// Runs the handling of one window message, `body`, so that no exception is carried into user32: an
// exception is traced with `where` (the procedure) and the message, and the message is answered by
// `fallback`, the default handling (DefWindowProc, the original procedure, FALSE for a dialog).
template <class Body, class Fallback>
auto windowCall(const char16_t* where, unsigned message, Body&& body, Fallback&& fallback) noexcept
    -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        traceError(u"%s: unexpected exception in message %u", static_cast<uint32_t>(E_UNEXPECTED), where,
                   static_cast<uint32_t>(message));
    }
    try {
        return fallback();
    } catch (...) {
        return {};
    }
}

}  // namespace corvane
