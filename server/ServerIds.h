#pragma once
// Windows only: the identifiers this server serves, registers or describes.

#include <guiddef.h>

#include "folder/FolderClassGuid.h"

namespace corvane {

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

// The two interfaces the type library describes and the merged proxy/stub code serves; no class
// answers them. The proxy/stub class identifier is that of the first, IFolderImpl.
inline constexpr IID IID_IFolderImpl = {
    0x9D59416A, 0x361C, 0x444C, {0x9D, 0x6B, 0x4F, 0x12, 0xA5, 0xA7, 0x20, 0x44}};
inline constexpr IID IID_INewsShellViewImpl = {
    0xAB44DDCC, 0x0F22, 0x4116, {0xBA, 0xED, 0x16, 0x27, 0x32, 0x73, 0x5D, 0xC4}};

}  // namespace corvane
