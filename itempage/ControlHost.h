#pragma once
// Windows only: a window that hosts one COM control in its client area, the part of the page that
// an ActiveX container library would otherwise provide. The window's text at creation names the
// control: "MSHTML:" an empty HTML document, "{clsid}" or a ProgID anything else. The control is
// activated in place, follows the window's size, and is closed and released when the window goes.
// A window whose control could not be created stays, empty: its owner decides what to show.

#include <windows.h>

namespace corvane {

inline constexpr wchar_t kControlHostClass[] = L"KtControlHost";

// Registers the host window class in the module's instance; true when it is registered.
bool registerControlHostClass();

// The registered message "WM_ATLGETCONTROL": the host answers it with its control's IUnknown, a
// reference the sender then owns, or 0 when it hosts nothing.
UINT controlHostGetControlMessage();

// Makes the control a host's text names. Tests put a factory of their own in place of
// CoCreateInstance; null puts CoCreateInstance back. Returns the factory it replaces.
using ControlFactory = HRESULT (*)(REFCLSID clsid, REFIID riid, void** object);
ControlFactory setControlFactory(ControlFactory factory);

}  // namespace corvane
