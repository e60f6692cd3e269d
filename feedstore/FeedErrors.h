#pragma once

#include <exception>
#include <new>

#include "feedstore/FeedStoreError.h"
#include "platform/Status.h"

namespace corvane {

// The status a top operation reports for whatever it caught.
inline Status statusOf(const std::exception& error) {
    if (auto* storeError = dynamic_cast<const FeedStoreError*>(&error)) return storeError->status();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return kStatusOutOfMemory;
    return kStatusFail;
}

}  // namespace corvane
