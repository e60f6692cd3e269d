// corvane.dll registered with regsvr32 in the test prefix, read back with the registry API; and Wine's
// own explorer opening a news folder through that registration. These tests share the prefix's
// registry, so ctest runs them one at a time.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <set>
#include <thread>

#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "platform/ComPtr.h"
#include "platform/Win32Text.h"
#include "server/ServerIds.h"
#include "support/CorvaneLibrary.h"
#include "support/ProxiedObject.h"
#include "support/RunCommandLine.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"

namespace corvane {
namespace {

using corvane::testing::corvaneDllPath;

const std::wstring kClassKey = L"CLSID\\" + toWide(kFolderClassId);
const std::wstring kMenuHandlersKey = L"Folder\\shellex\\ContextMenuHandlers";
const std::wstring kApprovedKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

std::wstring braced(REFGUID id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

// The proxy/stub code registers under the identifier of its first interface.
const std::wstring kProxyClassKey = L"CLSID\\" + braced(IID_IFolderImpl);
const std::wstring kInterfaceKeys[] = {L"Interface\\" + braced(IID_IFolderImpl),
                                       L"Interface\\" + braced(IID_INewsShellViewImpl)};

bool typeLibRegistered() {
    ComPtr<ITypeLib> library;
    return SUCCEEDED(LoadRegTypeLib(LIBID_CorvaneLib, kCorvaneLibMajor, kCorvaneLibMinor, kCorvaneLibLocale,
                                    library.put()));
}

std::optional<DWORD> regsvr32(bool unregister) {
    return testing::runCommandLine(
        std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" + corvaneDllPath() + L"\"",
        std::chrono::seconds(60));
}

bool keyExists(HKEY root, const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

std::optional<std::wstring> stringValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegGetValueW(root, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_ANY, &type, data,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ) return std::nullopt;
    return std::wstring(data);
}

// The names of a key's values ("" for the default) and of its subkeys.
struct KeyContents {
    std::set<std::wstring> values;
    std::set<std::wstring> subkeys;
};

KeyContents contentsOf(HKEY root, const std::wstring& key) {
    KeyContents contents;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return contents;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumValueW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        contents.values.insert(name);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        contents.subkeys.insert(name);
    }
    RegCloseKey(opened);
    return contents;
}

bool sameText(const std::optional<std::wstring>& value, const std::wstring& expected) {
    return value && CompareStringOrdinal(value->c_str(), -1, expected.c_str(), -1, TRUE) == CSTR_EQUAL;
}

void expectRegistered() {
    const std::wstring module = corvaneDllPath();
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, kClassKey, L""), L"Corvane");
    EXPECT_TRUE(
        sameText(stringValue(HKEY_CLASSES_ROOT, kClassKey, L"FriendlyTypeName"), L"@" + module + L",-115"));
    EXPECT_TRUE(
        sameText(stringValue(HKEY_CLASSES_ROOT, kClassKey + L"\\DefaultIcon", L""), module + L",-212"));
    EXPECT_TRUE(sameText(stringValue(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L""), module));
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"ThreadingModel"),
              L"Apartment");
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, kClassKey + L"\\TypeLib", L""), toWide(kCorvaneLibId));
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, kMenuHandlersKey + L"\\Corvane", L""), toWide(kFolderClassId));
    EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, kApprovedKey, toWide(kFolderClassId)), L"Corvane");

    KeyContents classKey = contentsOf(HKEY_CLASSES_ROOT, kClassKey);
    EXPECT_EQ(classKey.values, (std::set<std::wstring>{L"", L"FriendlyTypeName"}));
    EXPECT_EQ(classKey.subkeys, (std::set<std::wstring>{L"DefaultIcon", L"InprocServer32", L"TypeLib"}));
    KeyContents server = contentsOf(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32");
    EXPECT_EQ(server.values, (std::set<std::wstring>{L"", L"ThreadingModel"}));
    EXPECT_TRUE(server.subkeys.empty());

    EXPECT_TRUE(typeLibRegistered());
    for (const std::wstring& key : kInterfaceKeys)
        EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32", L""), braced(IID_IFolderImpl))
            << key;
    EXPECT_TRUE(sameText(stringValue(HKEY_CLASSES_ROOT, kProxyClassKey + L"\\InprocServer32", L""), module));
}

void expectUnregistered() {
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kMenuHandlersKey + L"\\Corvane"));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kMenuHandlersKey));
    EXPECT_FALSE(stringValue(HKEY_LOCAL_MACHINE, kApprovedKey, toWide(kFolderClassId)).has_value());
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kApprovedKey));
    EXPECT_FALSE(typeLibRegistered());
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + toWide(kCorvaneLibId)));
    for (const std::wstring& key : kInterfaceKeys)
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, key)) << key;
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kProxyClassKey));
}

TEST(Registration, WritesTheEntriesAndRemovesThem) {
    ASSERT_EQ(regsvr32(false), 0u);
    expectRegistered();

    ASSERT_EQ(regsvr32(true), 0u);
    expectUnregistered();

    // Unregistering what is not there succeeds too.
    EXPECT_EQ(regsvr32(true), 0u);
    expectUnregistered();
}

TEST(Registration, RewritesTheClassKeyFromScratch) {
    ASSERT_EQ(regsvr32(false), 0u);
    HKEY classKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (kClassKey + L"\\Stale").c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &classKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(classKey);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, kClassKey.c_str(), L"Stale", REG_SZ, L"x", 4),
              ERROR_SUCCESS);

    ASSERT_EQ(regsvr32(false), 0u);
    expectRegistered();
    ASSERT_EQ(regsvr32(true), 0u);
}

TEST(Registration, ProxiesCarryBothInterfacesBetweenApartments) {
    ASSERT_EQ(regsvr32(false), 0u);
    corvane::testing::ProxiedObject object;
    {
        ComApartment apartment;
        IStream* folderStream = nullptr;
        IStream* viewStream = nullptr;
        ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IFolderImpl, &object, &folderStream), S_OK);
        ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_INewsShellViewImpl, &object, &viewStream), S_OK);

        HRESULT folderUnmarshalled = E_FAIL, viewUnmarshalled = E_FAIL, called = E_FAIL;
        UINT count = 0;
        bool viewIsProxy = false;
        HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread other([&] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            IDispatch* folder = nullptr;
            folderUnmarshalled = CoGetInterfaceAndReleaseStream(folderStream, IID_IFolderImpl,
                                                                reinterpret_cast<void**>(&folder));
            if (folder) {
                called = folder->GetTypeInfoCount(&count);
                folder->Release();
            }
            IUnknown* view = nullptr;
            viewUnmarshalled = CoGetInterfaceAndReleaseStream(viewStream, IID_INewsShellViewImpl,
                                                              reinterpret_cast<void**>(&view));
            if (view) {
                viewIsProxy = view != static_cast<IUnknown*>(&object);
                view->Release();
            }
            CoUninitialize();
            SetEvent(finished);
        });
        // The object's apartment serves the calls through its message queue.
        while (MsgWaitForMultipleObjects(1, &finished, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
        }
        other.join();
        CloseHandle(finished);

        EXPECT_EQ(folderUnmarshalled, S_OK);
        EXPECT_EQ(called, S_OK);
        EXPECT_EQ(count, 7u);
        EXPECT_EQ(object.callerThread, GetCurrentThreadId());
        EXPECT_EQ(viewUnmarshalled, S_OK);
        EXPECT_TRUE(viewIsProxy);
    }
    regsvr32(true);
}

TEST(Registration, WineExplorerOpensANewsFolderWithTheFolderClass) {
    ComApartment apartment;
    corvane::testing::TraceCapture capture("explorer");
    corvane::testing::TempFolder directory;
    ASSERT_EQ(folder::createNewsFolder(directory.path().u16string()).status, folder::FolderStatus::Done);
    ASSERT_EQ(regsvr32(false), 0u);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"explorer.exe \"" + directory.path().wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    auto seen = [&](const std::string& text) {
        for (const std::string& message : capture.messages())
            if (message == text) return true;
        return false;
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(seen("CFolderImpl constructor") && seen("corvaneversion version = 1.0")) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    regsvr32(true);

    EXPECT_TRUE(seen("CFolderImpl constructor"));
    EXPECT_TRUE(seen("corvaneversion version = 1.0"));
}

}  // namespace
}  // namespace corvane
