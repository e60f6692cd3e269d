#include "browser/BrowserFrame.h"

#include <algorithm>

namespace corvane::browser {

CommandOwner commandOwner(uint32_t id) {
    if (id <= kViewCommandLast) return CommandOwner::View;
    if (id >= kBrowserCommandFirst && id <= kBrowserCommandLast) return CommandOwner::Browser;
    return CommandOwner::Nobody;
}

Activation activationFor(bool windowActive, bool focusInView) {
    return windowActive && focusInView ? Activation::Focus : Activation::NoFocus;
}

std::u16string windowTitle(std::u16string_view folderPath) {
    std::u16string_view path = folderPath;
    while (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/') && path[path.size() - 2] != u':')
        path.remove_suffix(1);
    size_t separator = path.find_last_of(u"\\/");
    std::u16string_view name = separator == std::u16string_view::npos ? path : path.substr(separator + 1);
    // A drive root has no name of its own: its path is its title.
    if (name.empty()) name = path;
    return name.empty() ? std::u16string(u"Corvane") : std::u16string(name);
}

Area viewArea(int clientWidth, int clientHeight, int statusBarHeight, bool statusBarShown) {
    Area area;
    area.width = std::max(0, clientWidth);
    area.height = std::max(0, clientHeight - (statusBarShown ? std::max(0, statusBarHeight) : 0));
    return area;
}

}  // namespace corvane::browser
