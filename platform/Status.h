#pragma once

#include <cstdint>

namespace corvane {

// Result codes with the values of their Windows counterparts, so results cross the Win32 layer
// unchanged and callers can tell them apart by exact value on both builds.
using Status = int32_t;

constexpr Status kStatusOk = 0;                                              // S_OK
constexpr Status kStatusFalse = 1;                                           // S_FALSE
constexpr Status kStatusFail = static_cast<Status>(0x80004005u);             // E_FAIL
constexpr Status kStatusOutOfMemory = static_cast<Status>(0x8007000Eu);      // E_OUTOFMEMORY
constexpr Status kStatusInvalidArgument = static_cast<Status>(0x80070057u);  // E_INVALIDARG
constexpr Status kStatusCancelled = 1223;  // ERROR_CANCELLED, returned as it is, not as an HRESULT

constexpr bool succeeded(Status status) {
    return status >= 0;
}

}  // namespace corvane
