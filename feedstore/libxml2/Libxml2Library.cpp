#define CORVANE_LIBXML2_TABLE_ITSELF
#include "feedstore/libxml2/Libxml2Library.h"

#include <dlfcn.h>

#include <string>
#include <type_traits>

#include "feedstore/FeedStoreError.h"
#include "platform/Status.h"
#include "platform/Utf.h"

namespace corvane::xml::libxml2 {
namespace {

// The soname the development package links against: the interface these declarations describe.
constexpr const char* kLibraryName = "libxml2.so.2";

// Null, with what went wrong, when the library or one of its functions is missing.
const Library* load(std::string& failure) {
    void* handle = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        failure = ::dlerror();
        return nullptr;
    }
    // Kept loaded for the process: documents and readers may outlive anything that would unload it.
    static Library table;
    const auto bind = [&](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(::dlsym(handle, name));
        if (!slot && failure.empty()) failure = std::string("libxml2 has no ") + name;
    };
#define CORVANE_LIBXML2_BIND(name) bind(table.name, #name);
    CORVANE_LIBXML2_FUNCTIONS(CORVANE_LIBXML2_BIND)
#undef CORVANE_LIBXML2_BIND
    bind(table.freeFunction, "xmlFree");
    if (!failure.empty()) return nullptr;
    table.xmlInitParser();
    return &table;
}

}  // namespace

const Library& library() {
    static std::string failure;
    static const Library* const loaded = load(failure);
    if (!loaded) throw FeedStoreError(kStatusFail, fromUtf8("libxml2 could not be loaded: " + failure));
    return *loaded;
}

}  // namespace corvane::xml::libxml2
