#pragma once

#include <cstdint>

// The folder class's identity. desktop.ini names it, the folder object answers it in GetClassID, and
// the registration writes it: all of them take it from here so they cannot drift apart.
namespace corvane {

// The 38-character registry form: braces, upper-case hexadecimal, hyphens. desktop.ini must hold
// exactly this text for a folder to be a news folder.
inline constexpr char16_t kFolderClassId[] = u"{0D1C607A-6636-45D8-BBE9-F6FD121D5D45}";

// The same identifier in the fields of a GUID, for CLSID_FolderImpl (FolderClassGuid.h).
struct ClassIdFields {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
inline constexpr ClassIdFields kFolderClassIdFields = {
    0x0D1C607A, 0x6636, 0x45D8, {0xBB, 0xE9, 0xF6, 0xFD, 0x12, 0x1D, 0x5D, 0x45}};

}  // namespace corvane
