#pragma once

#include <optional>

namespace corvane {

// The steps of a worker's run that can fail for want of memory (a large store, a large UTF-16 feed).
// A test makes one of them fail to see that the run still ends with its final message; nothing in
// the product injects a fault.
enum class WorkerStage { ReadingStore, ReadingFeed };

void setInjectedWorkerFault(std::optional<WorkerStage> stage);
// Raises std::bad_alloc when a fault was injected at `stage`.
void failIfInjected(WorkerStage stage);

}  // namespace corvane
