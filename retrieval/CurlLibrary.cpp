#include "retrieval/CurlLibrary.h"

#include <dlfcn.h>

#include <type_traits>

#include "platform/Trace.h"

namespace corvane::retrieval {
namespace {

// The soname the development package links against: the interface these declarations describe.
constexpr const char* kLibraryName = "libcurl.so.4";

const CurlLibrary* load() {
    void* handle = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        trace(u"libcurl could not be loaded: %s", ::dlerror());
        return nullptr;
    }
    static CurlLibrary library;
    bool complete = true;
    auto bind = [&](auto& slot, const char* name) {
        void* symbol = ::dlsym(handle, name);
        if (!symbol) {
            trace(u"libcurl has no %s", name);
            complete = false;
        }
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(symbol);
    };
    decltype(&curl_global_init) globalInit = nullptr;
    bind(globalInit, "curl_global_init");
    bind(library.easyInit, "curl_easy_init");
    bind(library.easyCleanup, "curl_easy_cleanup");
    bind(library.easySetopt, "curl_easy_setopt");
    bind(library.easyGetinfo, "curl_easy_getinfo");
    bind(library.easyStrerror, "curl_easy_strerror");
    bind(library.multiInit, "curl_multi_init");
    bind(library.multiCleanup, "curl_multi_cleanup");
    bind(library.multiAddHandle, "curl_multi_add_handle");
    bind(library.multiRemoveHandle, "curl_multi_remove_handle");
    bind(library.multiPerform, "curl_multi_perform");
    bind(library.multiPoll, "curl_multi_poll");
    bind(library.multiWakeup, "curl_multi_wakeup");
    bind(library.multiInfoRead, "curl_multi_info_read");
    bind(library.multiStrerror, "curl_multi_strerror");
    bind(library.slistAppend, "curl_slist_append");
    bind(library.slistFreeAll, "curl_slist_free_all");
    // Kept loaded for the process: handles may outlive any one session.
    if (!complete) return nullptr;
    if (CURLcode code = globalInit(CURL_GLOBAL_DEFAULT); code != CURLE_OK) {
        trace(u"libcurl could not be initialised (%d)", static_cast<int>(code));
        return nullptr;
    }
    return &library;
}

}  // namespace

const CurlLibrary* curlLibrary() {
    static const CurlLibrary* const loaded = load();
    return loaded;
}

}  // namespace corvane::retrieval
