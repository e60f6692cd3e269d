#pragma once
// Windows only: the library's lock count and instance handle. Every shell object (folder, view, page,
// dialogs) takes them from here, below the server that exports the library.

#include <windows.h>

namespace corvane::module {

// Every live folder object and view holds a lock, and so does each worker thread and the class object
// while a client holds it; the library may unload only at zero. Callable from any thread.
LONG Lock();
LONG Unlock();
LONG LockCount();

// The library's instance, recorded by DllMain; the program's own when none was recorded (tests and
// programs link the shell objects in).
HINSTANCE Instance();
void SetInstance(HINSTANCE instance);

// Holds one lock for its lifetime.
class ScopedLock {
  public:
    ScopedLock() { Lock(); }
    ~ScopedLock() { Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;
};

}  // namespace corvane::module
