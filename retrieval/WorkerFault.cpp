#include "retrieval/WorkerFault.h"

#include <atomic>
#include <new>

namespace corvane {
namespace {

constexpr int kNoFault = -1;
std::atomic<int> injectedStage{kNoFault};

}  // namespace

void setInjectedWorkerFault(std::optional<WorkerStage> stage) {
    injectedStage = stage ? static_cast<int>(*stage) : kNoFault;
}

void failIfInjected(WorkerStage stage) {
    if (injectedStage.load() == static_cast<int>(stage)) throw std::bad_alloc();
}

}  // namespace corvane
