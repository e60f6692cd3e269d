// The version block of the built corvane.dll and corvane.exe, read as a file's properties read it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/WindowsPath.h"

namespace corvane {
namespace {

using testing::windowsPath;

struct VersionBlock {
    std::vector<BYTE> bytes;

    explicit VersionBlock(const std::wstring& file) {
        DWORD size = GetFileVersionInfoSizeW(file.c_str(), nullptr);
        if (size == 0) return;
        bytes.resize(size);
        if (!GetFileVersionInfoW(file.c_str(), 0, size, bytes.data())) bytes.clear();
    }

    const VS_FIXEDFILEINFO* fixed() {
        void* found = nullptr;
        UINT length = 0;
        if (bytes.empty() || !VerQueryValueW(bytes.data(), L"\\", &found, &length) ||
            length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(found);
    }

    std::wstring text(const std::wstring& name) {
        void* found = nullptr;
        UINT length = 0;
        std::wstring path = L"\\StringFileInfo\\040904B0\\" + name;
        if (bytes.empty() || !VerQueryValueW(bytes.data(), path.c_str(), &found, &length) || length == 0)
            return {};
        return static_cast<const wchar_t*>(found);
    }
};

void expectVersionBlock(const char* file, const wchar_t* name, DWORD type) {
    SCOPED_TRACE(file);
    VersionBlock block(windowsPath(file));
    ASSERT_FALSE(block.bytes.empty()) << "no version block, error " << GetLastError();
    const VS_FIXEDFILEINFO* fixed = block.fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileType, type);

    std::string version = CORVANE_VERSION;
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch), 3);
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(major << 16 | minor));
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD(patch << 16));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    std::wstring text(version.begin(), version.end());
    EXPECT_EQ(block.text(L"FileVersion"), text);
    EXPECT_EQ(block.text(L"ProductVersion"), text);
    EXPECT_EQ(block.text(L"ProductName"), L"Corvane");
    EXPECT_EQ(block.text(L"OriginalFilename"), name);
    EXPECT_FALSE(block.text(L"FileDescription").empty());
}

TEST(VersionResource, TheDllAndTheProgramCarryTheProjectVersion) {
    expectVersionBlock(CORVANE_DLL, L"corvane.dll", VFT_DLL);
    expectVersionBlock(CORVANE_EXE, L"corvane.exe", VFT_APP);
}

TEST(VersionResource, TheProgramAsksForPerMonitorDpiAwareness) {
    HMODULE program = LoadLibraryExW(windowsPath(CORVANE_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
    std::string manifest(bytes, SizeofResource(program, found));
    FreeLibrary(program);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos) << manifest;
}

}  // namespace
}  // namespace corvane
