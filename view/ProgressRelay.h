#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

// The download's progress on its way from the update worker to the view's thread, and the user's
// Cancel on its way back. The worker never touches the progress window: it leaves the figures here
// and the view's thread shows them; the view's thread leaves the Cancel here for the worker.
namespace corvane {

class ProgressRelay {
  public:
    struct Figures {
        uint32_t received;
        uint32_t contentLength;
    };

    // Worker side, after every chunk: keeps the figures and answers whether the download may go on.
    // `notify` is true when the view has taken everything reported before, so one wake-up message
    // covers any number of reports.
    struct Report {
        bool goOn;
        bool notify;
    };
    Report report(uint32_t received, uint32_t contentLength);

    // View side: the figures reported since the last take.
    std::optional<Figures> take();
    void cancel();
    bool cancelled() const;
    // A new update begins: no figures, no Cancel.
    void reset();

  private:
    mutable std::mutex lock_;
    std::optional<Figures> latest_;
    bool awaitingTake_ = false;
    bool cancelled_ = false;
};

}  // namespace corvane
