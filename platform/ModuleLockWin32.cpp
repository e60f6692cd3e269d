#include "platform/ModuleLock.h"

namespace corvane::module {
namespace {

volatile LONG lockCount = 0;
HINSTANCE instance = nullptr;

}  // namespace

LONG Lock() {
    return InterlockedIncrement(&lockCount);
}

LONG Unlock() {
    return InterlockedDecrement(&lockCount);
}

LONG LockCount() {
    return InterlockedCompareExchange(&lockCount, 0, 0);
}

HINSTANCE Instance() {
    return instance ? instance : GetModuleHandleW(nullptr);
}

void SetInstance(HINSTANCE value) {
    instance = value;
}

}  // namespace corvane::module
