#include "retrieval/KtThread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/Status.h"
#include "platform/Trace.h"
#include "retrieval/UrlDownloader.h"

namespace corvane {
namespace {

std::atomic<void (*)()> threadStarted{nullptr};
std::atomic<void (*)()> threadEnded{nullptr};

}  // namespace

// Shared by a thread and the worker that started it; lives as long as either needs it.
struct KtThread::Control final : kturldownloader_eventhandler {
    Control(MessageTarget* messageTarget, kturldownloader_eventhandler* downloadSink)
        : target(messageTarget), handler(downloadSink) {}

    std::mutex lock;
    std::condition_variable changed;
    bool finished = false;
    bool lastPosted = false;
    bool detached = false;  // Stop has returned or is returning: nothing may reach the view
    int sinkCallsInFlight = 0;
    uint32_t exitCode = kNoExitCode;
    std::stop_source stop;
    MessageTarget* const target;
    kturldownloader_eventhandler* const handler;

    // Calls into the view's sink only while Stop has not cut the thread off; false when it has.
    template <class Call>
    bool throughGate(Call call) {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (detached) return false;
            ++sinkCallsInFlight;
        }
        // Counted down however the call ends, or Stop would wait for it in vain.
        struct CallEnded {
            Control& control;
            ~CallEnded() {
                {
                    std::lock_guard<std::mutex> guard(control.lock);
                    --control.sinkCallsInFlight;
                }
                control.changed.notify_all();
            }
        } ended{*this};
        call();
        return true;
    }

    void OnStart(kturldownloader* downloader) override {
        throughGate([&] { handler->OnStart(downloader); });
    }
    bool OnProgress(kturldownloader* downloader) override {
        bool goOn = false;
        return throughGate([&] { goOn = handler->OnProgress(downloader); }) && goOn;
    }
};

KtThread::KtThread() = default;

KtThread::~KtThread() {
    Stop();
}

void KtThread::SetThreadLifetimeHooks(void (*started)(), void (*ended)()) {
    threadStarted = started;
    threadEnded = ended;
}

bool KtThread::IsRunning() const {
    if (!control_) return false;
    std::lock_guard<std::mutex> guard(control_->lock);
    return !control_->finished && !control_->lastPosted;
}

bool KtThread::Start(RSSObjectThreadParams* param) {
    if (!param || IsRunning()) return false;
    Stop();  // an earlier run that has ended: join it
    try {
        control_ = std::make_shared<Control>(param->target, param->handler);
        WorkerBody body = Run(param);
        if (auto started = threadStarted.load()) started();
        try {
            thread_ = std::thread(threadMain, control_, std::move(body));
        } catch (...) {
            if (auto ended = threadEnded.load()) ended();
            throw;
        }
    } catch (const std::exception& error) {
        traceError(u"worker thread could not be started: %s", kStatusFail, error.what());
        control_.reset();
        return false;
    }
    exitCode_ = kNoExitCode;
    return true;
}

void KtThread::Stop() {
    if (!thread_.joinable()) {
        control_.reset();
        return;
    }
    std::shared_ptr<Control> control = std::move(control_);
    bool ended;
    {
        std::unique_lock<std::mutex> guard(control->lock);
        // Cut off first: whatever the run does from now on, even on its way out, stays with it.
        control->detached = true;
        control->stop.request_stop();
        auto deadline = std::chrono::steady_clock::now() + kStopWait;
        ended = control->changed.wait_until(guard, deadline, [&] { return control->finished; });
        control->changed.wait_until(guard, deadline, [&] { return control->sinkCallsInFlight == 0; });
        exitCode_ = ended ? control->exitCode : kNoExitCode;
    }
    if (ended) {
        thread_.join();
    } else {
        // Blocked where the platform cannot interrupt it; it ends on its own, cut off from the view.
        trace(u"worker thread did not end in time; left to finish on its own");
        thread_.detach();
    }
}

void KtThread::threadMain(std::shared_ptr<Control> control, WorkerBody body) {
    uint32_t code = kNoExitCode;
    try {
        WorkerContext context(*control);
        code = body(context);
    } catch (const std::exception& error) {
        traceError(u"worker thread ended by an error: %s", kStatusFail, error.what());
    } catch (...) {
        traceError(u"worker thread ended by an error", kStatusFail);
    }
    body = nullptr;  // whatever it holds goes before the stopper is told
    {
        std::lock_guard<std::mutex> guard(control->lock);
        control->finished = true;
        control->exitCode = code;
    }
    control->changed.notify_all();
    control.reset();
    if (auto ended = threadEnded.load()) ended();
}

std::stop_token WorkerContext::stopToken() const {
    return control_.stop.get_token();
}

void WorkerContext::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard<std::mutex> guard(control_.lock);
    if (!control_.detached && control_.target) control_.target->post(message, wParam, lParam);
}

void WorkerContext::postLast(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard<std::mutex> guard(control_.lock);
    control_.lastPosted = true;
    if (!control_.detached && control_.target) control_.target->post(message, wParam, lParam);
}

kturldownloader_eventhandler* WorkerContext::sink() {
    return control_.handler ? &control_ : nullptr;
}

}  // namespace corvane
