#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "feedstore/FeedUpdate.h"
#include "feedstore/RSSObject.h"
#include "retrieval/KtThread.h"

namespace corvane {

// Loads the folder's item store off the view's thread and posts WM_FEED_LOADED. The view takes the
// items over (RSSObject::takeStoredItems) when it handles that message.
class CRSSObjectInitializeThread final : public KtThread {
  public:
    // What the last run read, once it has posted its message; taken once.
    std::optional<StoredItems> TakeResult();

  protected:
    WorkerBody Run(RSSObjectThreadParams* param) override;

  private:
    struct Outcome {
        std::mutex lock;
        std::optional<StoredItems> items;
    };
    std::shared_ptr<Outcome> outcome_;
};

// Downloads and reads the feed off the view's thread: posts WM_FEED_UPDATE_STARTED, then
// WM_FEED_UPDATE_DONE with the UpdateResult. The view takes the fetch over (RSSObject::takeFetch)
// when it handles the second message, so the feed object never changes while the view reads it.
class CRSSObjectUpdateThread final : public KtThread {
  public:
    std::optional<FeedFetch> TakeResult();

  protected:
    WorkerBody Run(RSSObjectThreadParams* param) override;

  private:
    struct Outcome {
        std::mutex lock;
        std::optional<FeedFetch> fetch;
    };
    std::shared_ptr<Outcome> outcome_;
};

// 2 when the download failed, else 1 when the document was not RSS, else 0 (a cancelled update too).
UpdateResult updateResultOf(const FeedFetch& fetch);

}  // namespace corvane
