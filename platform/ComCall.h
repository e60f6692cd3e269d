#pragma once
// Windows only: how every interface method and export keeps C++ exceptions inside the library.

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

}  // namespace corvane
