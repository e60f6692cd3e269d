#pragma once
// Windows only: the one way this library registers its window classes.

#include <windows.h>

namespace corvane {

// Registers `windowClass` (instance and name set by the caller). A class of the same name with the
// same procedure is kept; one with another procedure, left by an earlier load of this library at
// another address (classes outlive their DLL), is replaced. Remembered for unregisterWindowClasses.
bool registerWindowClass(const WNDCLASSEXW& windowClass);

// Unregisters every class registerWindowClass registered; the library calls it as it unloads.
void unregisterWindowClasses();

}  // namespace corvane
