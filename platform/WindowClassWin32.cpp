#include "platform/WindowClass.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace corvane {
namespace {

struct Registered {
    HINSTANCE instance;
    std::wstring name;
};

std::mutex& registeredGuard() {
    static std::mutex guard;
    return guard;
}

std::vector<Registered>& registered() {
    static std::vector<Registered> classes;
    return classes;
}

void remember(HINSTANCE instance, const wchar_t* name) {
    std::lock_guard lock(registeredGuard());
    for (const Registered& entry : registered())
        if (entry.instance == instance && entry.name == name) return;
    registered().push_back({instance, name});
}

}  // namespace

bool registerWindowClass(const WNDCLASSEXW& windowClass) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing)) {
        if (existing.lpfnWndProc == windowClass.lpfnWndProc) {
            remember(windowClass.hInstance, windowClass.lpszClassName);
            return true;
        }
        UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
    }
    WNDCLASSEXW wanted = windowClass;
    wanted.cbSize = sizeof(wanted);
    if (!RegisterClassExW(&wanted)) return false;
    remember(windowClass.hInstance, windowClass.lpszClassName);
    return true;
}

void unregisterWindowClasses() {
    std::vector<Registered> classes;
    {
        std::lock_guard lock(registeredGuard());
        classes = std::exchange(registered(), {});
    }
    // Derived classes were registered after their base: the newest go first.
    for (auto entry = classes.rbegin(); entry != classes.rend(); ++entry)
        UnregisterClassW(entry->name.c_str(), entry->instance);
}

}  // namespace corvane
