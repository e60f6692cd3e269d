#pragma once

#include <cstdint>

namespace corvane {

class RSSObject;
class kturldownloader_eventhandler;

// What the workers post to the view, in posting order (WM_APP is 0x8000).
constexpr uint32_t WM_FEED_LOADED = 0x8001;          // the initial load of the item store has ended
constexpr uint32_t WM_FEED_UPDATE_STARTED = 0x8002;  // an update has begun, before any download
constexpr uint32_t WM_FEED_UPDATE_DONE = 0x8003;     // an update has ended; wParam is its result

// The result of an update, in the wParam of WM_FEED_UPDATE_DONE.
enum UpdateResult : uint32_t {
    UPDATE_OK = 0,               // downloaded and merged, or cancelled by the user
    UPDATE_NOT_RSS = 1,          // downloaded, but not RSS that could be read
    UPDATE_DOWNLOAD_FAILED = 2,  // not downloaded
};

// Where workers post their messages: a window on Windows, a queue natively and in tests.
class MessageTarget {
  public:
    virtual void post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

  protected:
    ~MessageTarget() = default;
};

// Given by the view to both workers of its folder; owned by the view.
struct RSSObjectThreadParams {
    MessageTarget* target = nullptr;  // the view's window
    RSSObject* feed = nullptr;
    kturldownloader_eventhandler* handler = nullptr;  // the download's event sink, may be null
};

}  // namespace corvane
