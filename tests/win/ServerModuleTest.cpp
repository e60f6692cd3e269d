// The class object and the unload rule of the built corvane.dll, reached through its exports.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "platform/ComPtr.h"
#include "server/ServerIds.h"
#include "support/CorvaneLibrary.h"

namespace corvane {
namespace {

using corvane::testing::CorvaneLibrary;

class ServerModule : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(library.loaded()); }

    ComPtr<IClassFactory> factory() {
        ComPtr<IClassFactory> result;
        EXPECT_EQ(library.getClassObject(CLSID_FolderImpl, IID_IClassFactory, result.putVoid()), S_OK);
        return result;
    }

    CorvaneLibrary library;
};

// An outer object that keeps its own count and hands out the inner object's interfaces.
class Outer final : public IUnknown {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refCount; }
    STDMETHODIMP_(ULONG) Release() override { return --refCount; }

    ULONG refCount = 1;
    ComPtr<IUnknown> inner;
};

TEST_F(ServerModule, ServesOnlyTheFolderClass) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(library.getClassObject(CLSID_NewsShellViewImpl, IID_IClassFactory, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(library.getClassObject(IID_IShellFolder, IID_IClassFactory, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(library.getClassObject(CLSID_FolderImpl, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(library.getClassObject(CLSID_FolderImpl, IID_IShellFolder, &object), E_NOINTERFACE);
}

TEST_F(ServerModule, KeepsOneClassObject) {
    ComPtr<IClassFactory> first = factory();
    ComPtr<IClassFactory> second = factory();
    EXPECT_EQ(first.get(), second.get());
}

TEST_F(ServerModule, CreatesPlainAndAggregatedFolders) {
    ComPtr<IClassFactory> classObject = factory();
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(classObject->CreateInstance(nullptr, IID_IShellFolder, folder.putVoid()), S_OK);
    EXPECT_TRUE(folder.as<IContextMenu>(IID_IContextMenu));

    Outer outer;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(classObject->CreateInstance(&outer, IID_IShellFolder, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(classObject->CreateInstance(&outer, IID_IUnknown, outer.inner.putVoid()), S_OK);
    {
        // The aggregated object's interfaces count references on the outer object.
        ComPtr<IPersist> persist = outer.inner.as<IPersist>(IID_IPersist);
        ASSERT_TRUE(persist);
        EXPECT_EQ(outer.refCount, 2u);
        ComPtr<IUnknown> controlling = persist.as<IUnknown>(IID_IUnknown);
        EXPECT_EQ(controlling.get(), static_cast<IUnknown*>(&outer));
    }
    EXPECT_EQ(outer.refCount, 1u);
    outer.inner.reset();
}

TEST_F(ServerModule, UnloadsOnlyWithoutLocks) {
    EXPECT_EQ(library.canUnloadNow(), S_OK);
    ComPtr<IClassFactory> classObject = factory();
    EXPECT_EQ(library.canUnloadNow(), S_FALSE);

    ComPtr<IShellFolder> folder;
    ASSERT_EQ(classObject->CreateInstance(nullptr, IID_IShellFolder, folder.putVoid()), S_OK);
    EXPECT_EQ(classObject->LockServer(TRUE), S_OK);
    classObject.reset();
    EXPECT_EQ(library.canUnloadNow(), S_FALSE);  // the folder and the server lock

    folder.reset();
    EXPECT_EQ(library.canUnloadNow(), S_FALSE);  // the server lock
    classObject = factory();
    EXPECT_EQ(classObject->LockServer(FALSE), S_OK);
    classObject.reset();
    EXPECT_EQ(library.canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace corvane
