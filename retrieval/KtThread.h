#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

#include "retrieval/WorkerMessages.h"

namespace corvane {

class WorkerContext;
// The part of a worker that runs on its thread. It may outlive the worker object (Stop stops
// waiting after a while), so it holds copies and shared state of its own, never the object.
using WorkerBody = std::function<uint32_t(WorkerContext& context)>;

// A background thread that runs one body at a time. Stop asks the body to end, waits a bounded
// time and then lets it go: from then on nothing the body does reaches the message target or the
// download sink of the record it was started with.
class KtThread {
  public:
    static constexpr std::chrono::milliseconds kStopWait{2000};
    static constexpr uint32_t kNoExitCode = 0xFFFFFFFF;

    KtThread();
    virtual ~KtThread();
    KtThread(const KtThread&) = delete;
    KtThread& operator=(const KtThread&) = delete;

    // Starts the body that Run makes for `param`. Does nothing and returns false while an earlier
    // run is still going, or when no thread can be made.
    bool Start(RSSObjectThreadParams* param);
    // Requests a stop, waits at most kStopWait for the thread to end, then joins or lets it go.
    // Afterwards no thread of this object runs on our behalf. Nothing happens without a thread.
    void Stop();
    // Cuts the run off and asks it to end without waiting for it: returns once no call into the
    // record's download sink is under way (those never block), and lets the thread finish on its own.
    void LetGo();
    bool IsRunning() const;
    // The body's result after Stop; kNoExitCode from Start until then, or when the thread was let go.
    uint32_t exitCode() const { return exitCode_; }

    // Called on every worker thread as it starts and as it ends (the DLL holds a module lock for it).
    static void SetThreadLifetimeHooks(void (*started)(), void (*ended)());

  protected:
    // Called on the starting thread: makes the body from what `param` holds now.
    virtual WorkerBody Run(RSSObjectThreadParams* param) = 0;

  private:
    friend class WorkerContext;
    struct Control;
    static void threadMain(std::shared_ptr<Control> control, WorkerBody body);

    std::shared_ptr<Control> control_;
    std::thread thread_;
    uint32_t exitCode_ = kNoExitCode;
};

// What a running body may use; every call is safe after Stop (posts are then dropped).
class WorkerContext {
  public:
    std::stop_token stopToken() const;
    void post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // The run's final message: from here on the worker counts as idle, so the view may start the
    // next run as soon as it has this message, while the thread is still on its way out.
    void postLast(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // The record's download sink behind a gate that Stop closes; null when the record had none.
    kturldownloader_eventhandler* sink();

  private:
    friend class KtThread;
    explicit WorkerContext(KtThread::Control& control) : control_(control) {}
    KtThread::Control& control_;
};

}  // namespace corvane
