#include "feedstore/FeedStoreError.h"

#include "platform/Utf.h"

namespace corvane {

FeedStoreError::FeedStoreError(Status status, std::u16string description)
    : status_(status), description_(std::move(description)), what_(toUtf8(description_)) {}

}  // namespace corvane
