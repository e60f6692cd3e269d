#pragma once
// Windows only: the one way this library registers its window classes, and the one way an object
// of ours is tied to its window.

#include <windows.h>

#include "platform/ComCall.h"

namespace corvane {

// Registers `windowClass` (instance and name set by the caller). A class of the same name with the
// same procedure is kept; one with another procedure, left by an earlier load of this library at
// another address (classes outlive their DLL), is replaced. Remembered for unregisterWindowClasses.
bool registerWindowClass(const WNDCLASSEXW& windowClass);

// Unregisters every class registerWindowClass registered; the library calls it as it unloads.
void unregisterWindowClasses();

// The body of the window procedure of a class whose windows each belong to one `T`, created with the
// object as their creation parameter. Ties the two at WM_NCCREATE (the window in the object's
// `windowMember`), hands every message to `handle` inside windowCall (`where` names the procedure in
// the trace), and unties them once WM_NCDESTROY is handled: no message reaches the object after it.
template <class T>
LRESULT callWindowObject(const char16_t* where, HWND T::*windowMember,
                         LRESULT (T::*handle)(UINT, WPARAM, LPARAM), HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        if (created) created->*windowMember = window;
    }
    T* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = windowCall(
        where, message, [&] { return (self->*handle)(message, wParam, lParam); },
        [&] { return DefWindowProcW(window, message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->*windowMember = nullptr;
    }
    return result;
}

}  // namespace corvane
