// The namespace role of CFolderImpl, linked into the test program.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "folder/FolderClassGuid.h"
#include "folder/FolderImpl.h"
#include "folder/NewsFolder.h"
#include "platform/ComPtr.h"
#include "platform/ModuleLock.h"
#include "platform/Utf.h"
#include "retrieval/MessageQueue.h"
#include "retrieval/UrlDownloader.h"
#include "server/CorvaneModule.h"
#include "support/TempFolder.h"
#include "support/TestServer.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using corvane::testing::TempFolder;

ComPtr<IShellFolder> newFolder() {
    ComPtr<IShellFolder> folder;
    EXPECT_EQ(CFolderImpl::CreateInstance(nullptr, IID_IShellFolder, folder.putVoid()), S_OK);
    return folder;
}

CFolderImpl& impl(const ComPtr<IShellFolder>& folder) {
    return *static_cast<CFolderImpl*>(folder.get());
}

// IPersistFolder::Initialize with the folder's absolute list, as the shell calls it.
HRESULT initializeWith(const ComPtr<IShellFolder>& folder, const std::filesystem::path& path) {
    PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(path.wstring().c_str());
    EXPECT_NE(pidl, nullptr);
    HRESULT hr = folder.as<IPersistFolder>(IID_IPersistFolder)->Initialize(pidl);
    ILFree(pidl);
    return hr;
}

std::string desktopIniNaming(const std::string& value) {
    return "[.ShellClassInfo]\r\nCLSID=" + value + "\r\n";
}

TEST(FolderImpl, AnswersExactlyItsInterfaces) {
    ComPtr<IShellFolder> folder = newFolder();
    for (REFIID riid : {IID_IUnknown, IID_IShellFolder, IID_IPersistFolder, IID_IPersistFolder2, IID_IPersist,
                        IID_IContextMenu, IID_IShellExtInit}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(folder->QueryInterface(riid, answer.putVoid()), S_OK);
    }
    EXPECT_EQ(folder.as<IPersist>(IID_IPersist).get(),
              static_cast<IPersist*>(folder.as<IPersistFolder>(IID_IPersistFolder).get()));
    EXPECT_EQ(static_cast<IPersistFolder*>(folder.as<IPersistFolder2>(IID_IPersistFolder2).get()),
              folder.as<IPersistFolder>(IID_IPersistFolder).get());
    for (REFIID riid :
         {IID_IDispatch, IID_IShellView, IID_IPersistFolder3, IID_IPersistIDList, IID_IClassFactory}) {
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(folder->QueryInterface(riid, &answer), E_NOINTERFACE);
        EXPECT_EQ(answer, nullptr);
    }
}

TEST(FolderImpl, GivesFixedNamespaceAnswers) {
    ComPtr<IShellFolder> folder = newFolder();

    auto* untouched = reinterpret_cast<IEnumIDList*>(2);
    IEnumIDList* enumerator = untouched;
    EXPECT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &enumerator), E_FAIL);
    EXPECT_EQ(enumerator, untouched);

    SFGAOF attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
    EXPECT_EQ(folder->GetAttributesOf(0, nullptr, &attributes), S_OK);
    EXPECT_EQ(attributes, 0u);
    EXPECT_EQ(folder->CompareIDs(0, nullptr, nullptr), S_OK);

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(folder->GetUIObjectOf(nullptr, 0, nullptr, IID_IContextMenu, nullptr, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    EXPECT_EQ(folder->ParseDisplayName(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(folder->BindToStorage(nullptr, nullptr, IID_IStream, &object), E_NOTIMPL);
    EXPECT_EQ(folder->SetNameOf(nullptr, nullptr, L"x", 0, nullptr), E_NOTIMPL);
    STRRET name;
    EXPECT_EQ(folder->GetDisplayNameOf(nullptr, SHGDN_FORPARSING, &name), E_NOTIMPL);
}

TEST(FolderImpl, GivesItsClassId) {
    ComPtr<IPersist> persist = newFolder().as<IPersist>(IID_IPersist);
    CLSID clsid = {};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_FolderImpl));
    EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
}

TEST(FolderImpl, HasNoViewBeforeItIsInitialized) {
    ComPtr<IShellFolder> folder = newFolder();
    EXPECT_EQ(folder->CreateViewObject(nullptr, IID_IShellView, nullptr), E_POINTER);
    void* view = reinterpret_cast<void*>(1);
    EXPECT_TRUE(FAILED(folder->CreateViewObject(nullptr, IID_IShellView, &view)));
    EXPECT_EQ(view, nullptr);
}

TEST(FolderImpl, BindsToAFreshUninitialisedFolder) {
    ComPtr<IShellFolder> folder = newFolder();
    ComPtr<IShellFolder> child;
    EXPECT_EQ(folder->BindToObject(nullptr, nullptr, IID_IShellFolder, child.putVoid()), S_OK);
    ASSERT_TRUE(child);
    EXPECT_NE(child.get(), folder.get());
    EXPECT_EQ(impl(child).GetRSSObject(), nullptr);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(folder->BindToObject(nullptr, nullptr, IID_IShellView, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

TEST(FolderImpl, HoldsAModuleLockWhileItLives) {
    LONG before = module::LockCount();
    {
        ComPtr<IShellFolder> folder = newFolder();
        EXPECT_EQ(module::LockCount(), before + 1);
    }
    EXPECT_EQ(module::LockCount(), before);

    ComPtr<IShellFolder> parent = newFolder();
    ComPtr<IShellFolder> child;
    ASSERT_EQ(parent->BindToObject(nullptr, nullptr, IID_IShellFolder, child.putVoid()), S_OK);
    parent.reset();
    EXPECT_EQ(module::LockCount(), before + 1);
    child.reset();
    EXPECT_EQ(module::LockCount(), before);
}

TEST(FolderImplInitialize, AcceptsOnlyTheExactClassIdInDesktopIni) {
    const std::string classId = toUtf8(kFolderClassId);
    std::string lowerCase = classId;
    std::transform(lowerCase.begin(), lowerCase.end(), lowerCase.begin(), ::tolower);
    struct Case {
        std::string desktopIni;
        HRESULT expected;
    } cases[] = {
        {desktopIniNaming(classId), S_OK},
        {desktopIniNaming(lowerCase), E_FAIL},
        {desktopIniNaming(classId.substr(1, 36)), E_FAIL},
        {"[Other]\r\nCLSID=" + classId + "\r\n", E_FAIL},
        {desktopIniNaming("{00021400-0000-0000-C000-000000000046}"), E_FAIL},
    };
    for (const Case& c : cases) {
        TempFolder directory;
        directory.write("desktop.ini", c.desktopIni);
        ComPtr<IShellFolder> folder = newFolder();
        EXPECT_EQ(initializeWith(folder, directory.path()), c.expected) << c.desktopIni;
        EXPECT_EQ(impl(folder).GetRSSObject() != nullptr, c.expected == S_OK);
    }
    TempFolder plain;
    EXPECT_EQ(initializeWith(newFolder(), plain.path()), E_FAIL);
}

TEST(FolderImplInitialize, FailsWithoutAFileSystemPath) {
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    ComPtr<IPersistFolder> persist = newFolder().as<IPersistFolder>(IID_IPersistFolder);
    EXPECT_EQ(persist->Initialize(computer), E_FAIL);
    EXPECT_EQ(persist->Initialize(nullptr), E_FAIL);
    ILFree(computer);
}

TEST(FolderImplInitialize, MakesAnUnconfiguredFeedWithAnEmptyCollection) {
    TempFolder directory;
    ASSERT_EQ(folder::createNewsFolder(directory.path().u16string()).status, folder::FolderStatus::Done);
    ASSERT_FALSE(directory.exists("rssitems.xml"));
    ComPtr<IShellFolder> folder = newFolder();
    ASSERT_EQ(initializeWith(folder, directory.path()), S_OK);

    RSSObject* feed = impl(folder).GetRSSObject();
    ASSERT_NE(feed, nullptr);
    EXPECT_FALSE(feed->isConfigured());
    EXPECT_FALSE(feed->itemsLoaded);
    EXPECT_EQ(feed->settingsPath, directory.file("corvane.xml"));
    EXPECT_EQ(feed->itemsPath, directory.file("rssitems.xml"));
    ASSERT_NE(impl(folder).GetRSSDatabase(), nullptr);
    EXPECT_EQ(impl(folder).GetRSSDatabase()->count(), 0u);
}

TEST(FolderImplInitialize, KeepsItsFeedWhenAskedAgain) {
    TempFolder first, second;
    first.write("desktop.ini", desktopIniNaming(toUtf8(kFolderClassId)));
    second.write("desktop.ini", desktopIniNaming(toUtf8(kFolderClassId)));
    ComPtr<IShellFolder> folder = newFolder();
    ASSERT_EQ(initializeWith(folder, first.path()), S_OK);
    RSSObject* feed = impl(folder).GetRSSObject();
    RSSDatabase* collection = impl(folder).GetRSSDatabase();
    EXPECT_EQ(initializeWith(folder, second.path()), E_UNEXPECTED);
    EXPECT_EQ(impl(folder).GetRSSObject(), feed);
    EXPECT_EQ(impl(folder).GetRSSDatabase(), collection);
    EXPECT_EQ(feed->settingsPath, first.file("corvane.xml"));
}

// Wine's explorer is handed the folder object and browses to the list it reports.
TEST(FolderImplInitialize, ReportsTheListItAcceptedAndNoOther) {
    TempFolder news, plain;
    news.write("desktop.ini", desktopIniNaming(toUtf8(kFolderClassId)));
    ComPtr<IShellFolder> folder = newFolder();
    ComPtr<IPersistFolder2> persist = folder.as<IPersistFolder2>(IID_IPersistFolder2);
    auto* untouched = reinterpret_cast<PIDLIST_ABSOLUTE>(1);
    PIDLIST_ABSOLUTE reported = untouched;
    EXPECT_EQ(persist->GetCurFolder(&reported), S_FALSE);
    EXPECT_EQ(reported, nullptr);
    EXPECT_EQ(persist->GetCurFolder(nullptr), E_POINTER);

    // A refused folder is not remembered.
    ASSERT_EQ(initializeWith(folder, plain.path()), E_FAIL);
    EXPECT_EQ(persist->GetCurFolder(&reported), S_FALSE);

    ASSERT_EQ(initializeWith(folder, news.path()), S_OK);
    ASSERT_EQ(persist->GetCurFolder(&reported), S_OK);
    PIDLIST_ABSOLUTE expected = ILCreateFromPathW(news.path().wstring().c_str());
    EXPECT_TRUE(ILIsEqual(reported, expected));
    // Each call hands out a copy of its own.
    PIDLIST_ABSOLUTE again = nullptr;
    ASSERT_EQ(persist->GetCurFolder(&again), S_OK);
    EXPECT_NE(again, reported);
    ILFree(again);
    ILFree(reported);
    ILFree(expected);
}

TEST(FolderImplInitialize, NeedsNoSettingsFile) {
    TempFolder directory;
    directory.write("desktop.ini", desktopIniNaming(toUtf8(kFolderClassId)));
    ComPtr<IShellFolder> folder = newFolder();
    ASSERT_EQ(initializeWith(folder, directory.path()), S_OK);
    EXPECT_FALSE(impl(folder).GetRSSObject()->isConfigured());
}

// The folder's last release while its workers run, as when the window closes during an update: the
// workers are started as the view starts them, with a record the test owns.
class FolderImplTeardown : public ::testing::Test {
  protected:
    void SetUp() override {
        // Made as loading the library makes it: it gives each worker thread a module lock.
        theModule();
        baseLocks = module::LockCount();
        ASSERT_EQ(folder::createNewsFolder(directory.path().u16string()).status, folder::FolderStatus::Done);
        folder = newFolder();
        ASSERT_EQ(initializeWith(folder, directory.path()), S_OK);
        params.feed = impl(folder).GetRSSObject();
    }

    bool startUpdate(const char* path) {
        params.feed->url = testing::serverUrl(path);
        return impl(folder).InitializeWorker().Start(&params) && impl(folder).UpdateWorker().Start(&params);
    }

    // WM_FEED_LOADED and WM_FEED_UPDATE_STARTED, in either order: the load is over, the update runs.
    bool bothWorkersReported() {
        bool loaded = false, started = false;
        while (!(loaded && started)) {
            auto message = queue.next(10s);
            if (!message) return false;
            loaded = loaded || message->message == WM_FEED_LOADED;
            started = started || message->message == WM_FEED_UPDATE_STARTED;
        }
        return true;
    }

    bool unlockedWithin(std::chrono::seconds limit) {
        for (auto deadline = std::chrono::steady_clock::now() + limit;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(50ms))
            if (module::LockCount() == baseLocks) return true;
        return false;
    }

    LONG baseLocks = 0;
    TempFolder directory;
    MessageQueue queue;
    RSSObjectThreadParams params{&queue, nullptr, nullptr};
    ComPtr<IShellFolder> folder;
};

TEST_F(FolderImplTeardown, KeepsTheModuleLockedUntilAStalledUpdateEnds) {
    // Wine's WinINet leaves a blocked read only when the server closes, some seconds after the
    // destructor has stopped waiting for the worker.
    ASSERT_TRUE(startUpdate("/stall?after=100&seconds=6"));
    ASSERT_TRUE(bothWorkersReported());
    std::this_thread::sleep_for(200ms);

    folder.reset();
    EXPECT_EQ(module::LockCount(), baseLocks + 1) << "the worker's own lock";
    EXPECT_TRUE(unlockedWithin(15s));
    auto late = queue.next(0ms);
    EXPECT_FALSE(late) << "message " << late->message << " arrived after the folder went";
}

class CountingSink final : public kturldownloader_eventhandler {
  public:
    void OnStart(kturldownloader*) override { ++calls; }
    bool OnProgress(kturldownloader*) override {
        ++calls;
        return true;
    }
    std::atomic<int> calls{0};
};

TEST_F(FolderImplTeardown, CallsTheViewNoMoreOnceGone) {
    CountingSink sink;
    params.handler = &sink;
    ASSERT_TRUE(startUpdate("/drip?size=200&interval_ms=50"));
    ASSERT_TRUE(bothWorkersReported());
    for (int i = 0; i < 200 && sink.calls < 3; ++i)
        std::this_thread::sleep_for(50ms);
    ASSERT_GE(sink.calls, 3) << "the download never got going";

    folder.reset();
    int seen = sink.calls;
    EXPECT_TRUE(unlockedWithin(15s));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(sink.calls, seen);
    auto late = queue.next(0ms);
    EXPECT_FALSE(late) << "message " << late->message << " arrived after the folder went";
}

}  // namespace
}  // namespace corvane
