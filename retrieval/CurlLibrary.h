#pragma once

#include <curl/curl.h>

// libcurl, loaded the first time a download needs it. Linked at start-up it brought some forty
// libraries with it: most of the start-up time of a command that never downloads (info, list,
// search, read) and about 5 MB of its memory.
namespace corvane::retrieval {

struct CurlLibrary {
    decltype(&curl_easy_init) easyInit;
    decltype(&curl_easy_cleanup) easyCleanup;
    decltype(&curl_easy_setopt) easySetopt;
    decltype(&curl_easy_getinfo) easyGetinfo;
    decltype(&curl_easy_strerror) easyStrerror;
    decltype(&curl_multi_init) multiInit;
    decltype(&curl_multi_cleanup) multiCleanup;
    decltype(&curl_multi_add_handle) multiAddHandle;
    decltype(&curl_multi_remove_handle) multiRemoveHandle;
    decltype(&curl_multi_perform) multiPerform;
    decltype(&curl_multi_poll) multiPoll;
    decltype(&curl_multi_wakeup) multiWakeup;
    decltype(&curl_multi_info_read) multiInfoRead;
    decltype(&curl_multi_strerror) multiStrerror;
    decltype(&curl_slist_append) slistAppend;
    decltype(&curl_slist_free_all) slistFreeAll;
};

// The library, globally initialised, loaded once for the process and kept; null (traced) when it
// or one of its functions cannot be found.
const CurlLibrary* curlLibrary();

}  // namespace corvane::retrieval
