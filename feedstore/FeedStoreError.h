#pragma once

#include <exception>
#include <string>

#include "platform/Status.h"

namespace corvane {

// The one error the feed store raises: a failed status of the XML component (or of a file
// operation beneath it) with its description. The top operations (load and store items, load and
// store settings, update) catch it and trace their own message; it never reaches the user.
class FeedStoreError : public std::exception {
  public:
    FeedStoreError(Status status, std::u16string description);

    Status status() const { return status_; }
    const std::u16string& description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    Status status_;
    std::u16string description_;
    std::string what_;
};

}  // namespace corvane
