#pragma once
// Windows only: what the news view borrows from its folder. The folder implements it; the view
// keeps the folder alive through the folder's own IUnknown.

#include <unknwn.h>

#include <optional>

#include "feedstore/FeedUpdate.h"
#include "feedstore/RSSDatabase.h"
#include "feedstore/RSSObject.h"
#include "retrieval/WorkerMessages.h"

namespace corvane {

class INewsFolderHost {
  public:
    // The object a view holds a counted reference to while it lives.
    virtual IUnknown* HostObject() = 0;
    virtual RSSObject* Feed() = 0;
    virtual RSSDatabase* Collection() = 0;

    // The workers. Start is false while a run is under way or no thread could be made; a result is
    // taken once, on the view's thread, after the worker's last message arrived.
    virtual bool StartInitialLoad(RSSObjectThreadParams* params) = 0;
    virtual std::optional<StoredItems> TakeLoadedItems() = 0;
    virtual bool StartUpdate(RSSObjectThreadParams* params) = 0;
    virtual std::optional<FeedFetch> TakeUpdate() = 0;
    // Cuts off, without waiting, every run started with `params`: afterwards nothing reaches the
    // record's window or download sink.
    virtual void LetWorkersGo(RSSObjectThreadParams* params) = 0;

  protected:
    ~INewsFolderHost() = default;
};

}  // namespace corvane
