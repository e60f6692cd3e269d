// The Windows Installer package installed, upgraded and removed silently with msiexec, the way a user
// or an administrator does it. installer_round_trip.sh runs each case in a Wine prefix of its own.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "platform/Win32Text.h"
#include "server/ServerIds.h"
#include "support/RunCommandLine.h"
#include "support/RunProgram.h"
#include "support/TempFolder.h"
#include "support/WindowsPath.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

using corvane::testing::windowsPath;

std::wstring braced(REFGUID id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a command line and waits at most `limit`; its exit code, or nothing when it could not start or
// did not end in time.
std::optional<DWORD> run(std::wstring commandLine, std::chrono::seconds limit = std::chrono::seconds(90)) {
    return testing::runCommandLine(std::move(commandLine), limit);
}

std::optional<DWORD> msiexec(const std::wstring& action, const std::wstring& package) {
    return run(L"msiexec.exe " + action + L" \"" + package + L"\" /qn");
}

// What a package says about itself, read from its Property and Component tables.
struct PackageFacts {
    std::wstring productCode;
    std::wstring upgradeCode;
    std::wstring version;
    std::vector<std::wstring> componentIds;
};

std::vector<std::wstring> queryColumn(MSIHANDLE database, const wchar_t* query) {
    std::vector<std::wstring> values;
    MSIHANDLE view = 0;
    if (MsiDatabaseOpenViewW(database, query, &view) != ERROR_SUCCESS) return values;
    if (MsiViewExecute(view, 0) == ERROR_SUCCESS) {
        MSIHANDLE record = 0;
        while (MsiViewFetch(view, &record) == ERROR_SUCCESS) {
            wchar_t text[256] = {};
            DWORD length = 256;
            if (MsiRecordGetStringW(record, 1, text, &length) == ERROR_SUCCESS) values.push_back(text);
            MsiCloseHandle(record);
        }
    }
    MsiCloseHandle(view);
    return values;
}

PackageFacts readPackage(const std::wstring& package) {
    PackageFacts facts;
    MSIHANDLE database = 0;
    if (MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_READONLY, &database) != ERROR_SUCCESS) return facts;
    auto property = [&](const std::wstring& name) {
        std::wstring query = L"SELECT `Value` FROM `Property` WHERE `Property` = '" + name + L"'";
        std::vector<std::wstring> values = queryColumn(database, query.c_str());
        return values.empty() ? std::wstring() : values.front();
    };
    facts.productCode = property(L"ProductCode");
    facts.upgradeCode = property(L"UpgradeCode");
    facts.version = property(L"ProductVersion");
    facts.componentIds = queryColumn(database, L"SELECT `ComponentId` FROM `Component`");
    MsiCloseHandle(database);
    return facts;
}

// The products that installed a component, as Windows Installer keeps count of them.
std::vector<std::wstring> clientsOf(const std::wstring& component) {
    std::vector<std::wstring> products;
    wchar_t product[39] = {};
    for (DWORD i = 0; MsiEnumClientsW(component.c_str(), i, product) == ERROR_SUCCESS; ++i)
        products.push_back(product);
    return products;
}

std::vector<std::wstring> relatedProducts(const std::wstring& upgradeCode) {
    std::vector<std::wstring> products;
    wchar_t product[39] = {};
    for (DWORD i = 0; MsiEnumRelatedProductsW(upgradeCode.c_str(), 0, i, product) == ERROR_SUCCESS; ++i)
        products.push_back(product);
    return products;
}

const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kApprovedKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const std::wstring kClassKey = L"CLSID\\" + toWide(kFolderClassId);
const std::wstring kMenuHandlersKey = L"Folder\\shellex\\ContextMenuHandlers";

std::optional<std::wstring> stringValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    if (RegGetValueW(root, key.c_str(), name.empty() ? nullptr : name.c_str(),
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

bool keyExists(HKEY root, const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

// Every value below a key, as "path\name" mapped to its type and data.
using RegistryTree = std::map<std::wstring, std::wstring>;

void readTree(HKEY root, const std::wstring& key, const std::wstring& label, RegistryTree& tree) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
    tree[label] = L"(key)";
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0;
        BYTE data[2048];
        DWORD size = sizeof(data);
        if (RegEnumValueW(opened, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        tree[label + L"\\" + name] = std::to_wstring(type) + L":" +
                                     std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t));
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    RegCloseKey(opened);
    for (const std::wstring& subkey : subkeys)
        readTree(root, key + L"\\" + subkey, label + L"\\" + subkey, tree);
}

// Every key and value that registering corvane.dll writes.
RegistryTree serverEntries() {
    RegistryTree tree;
    const std::wstring keys[] = {kClassKey,
                                 kMenuHandlersKey + L"\\Corvane",
                                 L"TypeLib\\" + braced(LIBID_CorvaneLib),
                                 L"Interface\\" + braced(IID_IFolderImpl),
                                 L"Interface\\" + braced(IID_INewsShellViewImpl),
                                 L"CLSID\\" + braced(IID_IFolderImpl)};
    for (const std::wstring& key : keys)
        readTree(HKEY_CLASSES_ROOT, key, L"HKCR\\" + key, tree);
    if (auto approved = stringValue(HKEY_LOCAL_MACHINE, kApprovedKey, toWide(kFolderClassId)))
        tree[L"Approved"] = *approved;
    return tree;
}

// The installed programs named Corvane, by their uninstall key, with their listed version.
std::map<std::wstring, std::wstring> listedPrograms() {
    std::map<std::wstring, std::wstring> listed;
    HKEY uninstall = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &uninstall) != ERROR_SUCCESS)
        return listed;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(uninstall, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::wstring key = std::wstring(kUninstallKey) + L"\\" + name;
        if (stringValue(HKEY_LOCAL_MACHINE, key, L"DisplayName") == L"Corvane")
            listed[name] = stringValue(HKEY_LOCAL_MACHINE, key, L"DisplayVersion").value_or(L"");
    }
    RegCloseKey(uninstall);
    return listed;
}

std::set<std::wstring> filesIn(const fs::path& folder) {
    std::set<std::wstring> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.insert(entry.path().filename().wstring());
    return names;
}

fs::path knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &path))) return {};
    fs::path result(path);
    CoTaskMemFree(path);
    return result;
}

// A news folder: its files and their bytes, and its attributes.
struct FolderState {
    std::map<std::wstring, std::string> files;
    DWORD attributes = 0;
    bool operator==(const FolderState&) const = default;
};

FolderState stateOf(const fs::path& folder) {
    FolderState state;
    for (const std::wstring& name : filesIn(folder))
        state.files[name] = bytesOf(folder / name);
    state.attributes = GetFileAttributesW(folder.c_str());
    return state;
}

class Installer : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(package.productCode.empty()) << "cannot read " << fs::path(packagePath);
        ASSERT_FALSE(nextPackage.productCode.empty()) << "cannot read " << fs::path(nextPackagePath);
        ASSERT_EQ(package.upgradeCode, nextPackage.upgradeCode);
        ASSERT_EQ(package.componentIds.size(), 2u);
        ASSERT_EQ(folder::createNewsFolder(newsFolder.path().u16string()).status, folder::FolderStatus::Done);
        folderBefore = stateOf(newsFolder.path());
        installerCacheBefore = filesIn(knownFolder(FOLDERID_Windows) / L"Installer");
    }

    // Whatever a failed case left installed goes, so the next case starts from nothing.
    void TearDown() override {
        for (const std::wstring& product : relatedProducts(package.upgradeCode))
            run(L"msiexec.exe /x " + product + L" /qn");
    }

    // The registration points at the installed DLL and is exactly what regsvr32 writes for it.
    void expectRegisteredAt(const fs::path& dll) {
        EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L""), dll.wstring());
        EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"ThreadingModel"),
                  L"Apartment");
        EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, kMenuHandlersKey + L"\\Corvane", L""),
                  toWide(kFolderClassId));
        EXPECT_EQ(stringValue(HKEY_LOCAL_MACHINE, kApprovedKey, toWide(kFolderClassId)), L"Corvane");
        ComPtr<ITypeLib> library;
        EXPECT_EQ(LoadRegTypeLib(LIBID_CorvaneLib, kCorvaneLibMajor, kCorvaneLibMinor, kCorvaneLibLocale,
                                 library.put()),
                  S_OK);
        library.reset();

        RegistryTree installed = serverEntries();
        const std::wstring quotedDll = L"\"" + dll.wstring() + L"\"";
        ASSERT_EQ(run(L"regsvr32.exe /s /u " + quotedDll), 0u);
        EXPECT_TRUE(serverEntries().empty());
        ASSERT_EQ(run(L"regsvr32.exe /s " + quotedDll), 0u);
        EXPECT_EQ(installed, serverEntries());
    }

    // The shell's way in: the registered class, created by its identifier, opens the news folder, and
    // the library unloads again once released (else it could not be removed).
    void expectFolderOpensThroughClass(const fs::path& dll) {
        ComApartment apartment;
        {
            ComPtr<IPersistFolder> folder;
            ASSERT_EQ(CoCreateInstance(CLSID_FolderImpl, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFolder,
                                       folder.putVoid()),
                      S_OK);
            wchar_t loaded[MAX_PATH] = {};
            GetModuleFileNameW(GetModuleHandleW(L"corvane.dll"), loaded, MAX_PATH);
            EXPECT_EQ(fs::path(loaded), dll);
            PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(newsFolder.path().c_str());
            ASSERT_NE(pidl, nullptr);
            EXPECT_EQ(folder->Initialize(pidl), S_OK);
            ILFree(pidl);
        }
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_EQ(GetModuleHandleW(L"corvane.dll"), nullptr);
    }

    void expectNothingLeft() {
        EXPECT_FALSE(fs::exists(installFolder)) << installFolder;
        EXPECT_EQ(serverEntries(), RegistryTree());
        EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kMenuHandlersKey));
        EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kApprovedKey));
        EXPECT_TRUE(listedPrograms().empty());
        EXPECT_TRUE(relatedProducts(package.upgradeCode).empty());
        for (const PackageFacts* facts : {&package, &nextPackage})
            EXPECT_EQ(MsiQueryProductStateW(facts->productCode.c_str()), INSTALLSTATE_UNKNOWN);
        for (const std::wstring& component : package.componentIds)
            EXPECT_TRUE(clientsOf(component).empty()) << component;
        EXPECT_EQ(filesIn(knownFolder(FOLDERID_Windows) / L"Installer"), installerCacheBefore);
        // The user's news folder is the user's: not a byte of it changes.
        EXPECT_TRUE(stateOf(newsFolder.path()) == folderBefore);
    }

    const std::wstring packagePath = windowsPath(CORVANE_MSI);
    const std::wstring nextPackagePath = windowsPath(CORVANE_NEXT_MSI);
    const PackageFacts package = readPackage(packagePath);
    const PackageFacts nextPackage = readPackage(nextPackagePath);
    const fs::path installFolder = knownFolder(FOLDERID_ProgramFiles) / L"Corvane";
    const fs::path installedDll = installFolder / L"corvane.dll";
    const fs::path installedExe = installFolder / L"corvane.exe";
    testing::TempFolder newsFolder;
    FolderState folderBefore;
    std::set<std::wstring> installerCacheBefore;
};

TEST_F(Installer, InstallsRegistersAndUninstallsThroughTheListedCommand) {
    ASSERT_EQ(msiexec(L"/i", packagePath), 0u);

    EXPECT_EQ(filesIn(installFolder), (std::set<std::wstring>{L"corvane.dll", L"corvane.exe"}));
    EXPECT_EQ(bytesOf(installedDll), bytesOf(windowsPath(CORVANE_DLL)));
    EXPECT_EQ(bytesOf(installedExe), bytesOf(windowsPath(CORVANE_EXE)));
    // The package's version is the one the installed command reports.
    testing::TempFolder scratch;
    testing::ProgramRun version =
        testing::runProgram(toUtf8(fromWide(installedExe.wstring())), {"--version"}, scratch.path());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "corvane " + toUtf8(fromWide(package.version)) + "\n");

    expectRegisteredAt(installedDll);
    expectFolderOpensThroughClass(installedDll);

    const std::map<std::wstring, std::wstring> listed = listedPrograms();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.begin()->first, package.productCode);
    EXPECT_EQ(listed.begin()->second, package.version);
    const std::wstring entry = std::wstring(kUninstallKey) + L"\\" + package.productCode;
    std::optional<std::wstring> uninstall = stringValue(HKEY_LOCAL_MACHINE, entry, L"UninstallString");
    ASSERT_TRUE(uninstall.has_value());
    ASSERT_EQ(run(*uninstall + L" /qn"), 0u) << *uninstall;

    expectNothingLeft();
}

TEST_F(Installer, UpgradeReplacesTheOlderVersionInPlace) {
    ASSERT_EQ(msiexec(L"/i", packagePath), 0u);
    // A damaged file of the older version must not survive the upgrade.
    std::ofstream(installedExe, std::ios::binary | std::ios::trunc) << "damaged";

    ASSERT_EQ(msiexec(L"/i", nextPackagePath), 0u);

    const std::map<std::wstring, std::wstring> listed = listedPrograms();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.begin()->first, nextPackage.productCode);
    EXPECT_EQ(listed.begin()->second, nextPackage.version);
    EXPECT_EQ(relatedProducts(package.upgradeCode), std::vector<std::wstring>{nextPackage.productCode});
    for (const std::wstring& component : package.componentIds)
        EXPECT_EQ(clientsOf(component), std::vector<std::wstring>{nextPackage.productCode}) << component;
    EXPECT_EQ(bytesOf(installedExe), bytesOf(windowsPath(CORVANE_EXE)));
    expectRegisteredAt(installedDll);
    expectFolderOpensThroughClass(installedDll);

    ASSERT_EQ(msiexec(L"/x", nextPackagePath), 0u);
    expectNothingLeft();
}

TEST_F(Installer, AnOlderVersionDoesNotReplaceANewerOne) {
    ASSERT_EQ(msiexec(L"/i", nextPackagePath), 0u);

    EXPECT_NE(msiexec(L"/i", packagePath), 0u);

    const std::map<std::wstring, std::wstring> listed = listedPrograms();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.begin()->second, nextPackage.version);
    EXPECT_EQ(stringValue(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L""), installedDll.wstring());
    EXPECT_EQ(bytesOf(installedDll), bytesOf(windowsPath(CORVANE_DLL)));

    ASSERT_EQ(msiexec(L"/x", nextPackagePath), 0u);
    expectNothingLeft();
}

}  // namespace
}  // namespace corvane
