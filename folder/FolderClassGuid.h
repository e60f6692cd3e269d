#pragma once
// Windows only: the folder class's identifier as a GUID, built from the one definition in
// FolderClass.h so the object, its class object and the registration cannot disagree.

#include <guiddef.h>

#include "folder/FolderClass.h"

namespace corvane {

inline constexpr GUID CLSID_FolderImpl = {
    kFolderClassIdFields.data1,
    kFolderClassIdFields.data2,
    kFolderClassIdFields.data3,
    {kFolderClassIdFields.data4[0], kFolderClassIdFields.data4[1], kFolderClassIdFields.data4[2],
     kFolderClassIdFields.data4[3], kFolderClassIdFields.data4[4], kFolderClassIdFields.data4[5],
     kFolderClassIdFields.data4[6], kFolderClassIdFields.data4[7]}};

}  // namespace corvane
