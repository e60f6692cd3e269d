#pragma once
// Windows only: the identifiers this server serves, registers or describes.

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

// The news view: created only by the folder, never served by the class object.
inline constexpr GUID CLSID_NewsShellViewImpl = {
    0xC6B84F8D, 0x96EA, 0x47B1, {0xA5, 0x02, 0x52, 0x79, 0x32, 0xC8, 0xE6, 0xDC}};

// CorvaneLib, version 1.0, locale 1033.
inline constexpr GUID LIBID_CorvaneLib = {
    0x56EE0676, 0x6C9F, 0x4062, {0x9A, 0xD0, 0xC0, 0x6F, 0xC3, 0x64, 0x6C, 0x05}};
inline constexpr char16_t kCorvaneLibId[] = u"{56EE0676-6C9F-4062-9AD0-C06FC3646C05}";
inline constexpr unsigned short kCorvaneLibMajor = 1;
inline constexpr unsigned short kCorvaneLibMinor = 0;
inline constexpr unsigned long kCorvaneLibLocale = 1033;

}  // namespace corvane
