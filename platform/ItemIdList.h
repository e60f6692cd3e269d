#pragma once
// Windows only: the owner of one shell item list, freed with ILFree.

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <type_traits>

namespace corvane {

struct ItemIdListFree {
    void operator()(std::remove_pointer_t<PIDLIST_ABSOLUTE>* pidl) const { ILFree(pidl); }
};

using OwnedItemIdList = std::unique_ptr<std::remove_pointer_t<PIDLIST_ABSOLUTE>, ItemIdListFree>;

}  // namespace corvane
