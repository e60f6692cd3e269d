#pragma once
// Windows only: scenes that put one window of ours on screen so scripts/screens can photograph it.
// A scene shows its windows and then runs their message loop (its own, or a modal dialog's) until
// the process ends; the shot is taken from outside with ImageMagick.

#include <windows.h>

#include <string>

namespace corvane::screens {

struct Scene {
    const wchar_t* name;
    const wchar_t* description;
    void (*show)();
    // A helper that a script scene runs beside its own program, left out of the list.
    bool helper = false;
};

// Adds a scene to the program's list; used through a namespace-scope object in each scene file.
struct Registration {
    explicit Registration(const Scene& scene);
};

// Tells the photographer that the scene is drawn. Without it the shot is taken fifteen seconds after
// the scene started.
void Ready();

// A top-level frame of class `className` (registered on first use) for a scene's windows, at 20,20
// with the given client-independent size; hidden until the scene shows it.
HWND CreateFrame(const wchar_t* className, WNDPROC procedure, const wchar_t* title, int width, int height,
                 int backgroundColour);

// Runs an ordinary message loop until the process ends.
void RunMessageLoop();

// The loopback test server's "http://127.0.0.1:PORT" that scripts/screens started, or empty.
std::wstring ServerUrl();

// A folder of test data written by the scene, removed with the process: Z: paths under /tmp.
const wchar_t* ScratchFolder();

}  // namespace corvane::screens
