// The class object and the unload rule of the built corvane.dll, reached through its exports.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/ComPtr.h"
#include "server/ServerIds.h"
#include "support/CorvaneLibrary.h"
#include "support/ProxiedObject.h"

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

TEST_F(ServerModule, ServesTheProxyStubFactoryOfBothInterfaces) {
    ComPtr<IPSFactoryBuffer> proxies;
    ASSERT_EQ(library.getClassObject(IID_IFolderImpl, IID_IPSFactoryBuffer, proxies.putVoid()), S_OK);
    EXPECT_EQ(library.canUnloadNow(), S_FALSE);
    corvane::testing::ProxiedObject object;
    for (const IID* iid : {&IID_IFolderImpl, &IID_INewsShellViewImpl}) {
        IRpcStubBuffer* stub = nullptr;
        EXPECT_EQ(proxies->CreateStub(*iid, &object, &stub), S_OK);
        if (stub) stub->Release();
    }
    IRpcStubBuffer* stub = nullptr;
    EXPECT_NE(proxies->CreateStub(IID_IShellFolder, &object, &stub), S_OK);
    EXPECT_EQ(object.refCount, 1);
    proxies.reset();
    EXPECT_EQ(library.canUnloadNow(), S_OK);
}

// The embedded type library, as the shell's tools read it.
class EmbeddedTypeLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(LoadTypeLibEx(corvane::testing::corvaneDllPath().c_str(), REGKIND_NONE, library.put()),
                  S_OK);
    }

    struct Description {
        std::wstring name;
        std::wstring help;
    };
    Description describe(int index) {
        BSTR name = nullptr;
        BSTR help = nullptr;
        EXPECT_EQ(library->GetDocumentation(index, &name, &help, nullptr, nullptr), S_OK);
        Description result{name ? name : L"", help ? help : L""};
        SysFreeString(name);
        SysFreeString(help);
        return result;
    }
    // The kind and flags of the type with identifier `id`, and its index in the library.
    TYPEATTR attributesOf(REFGUID id, int& index) {
        TYPEATTR copy = {};
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library->GetTypeInfoOfGuid(id, info.put()), S_OK);
        if (!info) return copy;
        TYPEATTR* attributes = nullptr;
        EXPECT_EQ(info->GetTypeAttr(&attributes), S_OK);
        copy = *attributes;
        info->ReleaseTypeAttr(attributes);
        index = -1;
        for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
            ComPtr<ITypeInfo> candidate;
            if (SUCCEEDED(library->GetTypeInfo(i, candidate.put())) && candidate.get() == info.get())
                index = static_cast<int>(i);
        }
        return copy;
    }

    ComPtr<ITypeLib> library;
};

TEST_F(EmbeddedTypeLibrary, IsCorvaneLibOneZero) {
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_CorvaneLib));
    EXPECT_EQ(attributes->wMajorVerNum, kCorvaneLibMajor);
    EXPECT_EQ(attributes->wMinorVerNum, kCorvaneLibMinor);
    EXPECT_EQ(attributes->lcid, kCorvaneLibLocale);
    library->ReleaseTLibAttr(attributes);
    Description self = describe(-1);
    EXPECT_EQ(self.name, L"CorvaneLib");
    EXPECT_EQ(self.help, L"Corvane 1.0 Type Library");
    EXPECT_EQ(library->GetTypeInfoCount(), 4u);
}

TEST_F(EmbeddedTypeLibrary, DescribesTheTwoClassesAndTheirInterfaces) {
    struct Expected {
        const GUID* id;
        TYPEKIND kind;
        const wchar_t* name;
        const wchar_t* help;
    };
    // The dual interface appears as its dispatch side.
    const Expected types[] = {
        {&CLSID_FolderImpl, TKIND_COCLASS, L"FolderImpl", L"Corvane"},
        {&IID_IFolderImpl, TKIND_DISPATCH, L"IFolderImpl", L"IFolderImpl Interface"},
        {&CLSID_NewsShellViewImpl, TKIND_COCLASS, L"NewsShellViewImpl", L"NewsShellViewImpl Class"},
        {&IID_INewsShellViewImpl, TKIND_INTERFACE, L"INewsShellViewImpl", L"INewsShellViewImpl Interface"},
    };
    for (const Expected& type : types) {
        int index = -1;
        TYPEATTR attributes = attributesOf(*type.id, index);
        ASSERT_GE(index, 0) << type.name;
        EXPECT_EQ(attributes.typekind, type.kind) << type.name;
        Description description = describe(index);
        EXPECT_EQ(description.name, type.name);
        EXPECT_EQ(description.help, type.help);
        if (type.kind == TKIND_COCLASS) {
            EXPECT_TRUE(attributes.wTypeFlags & TYPEFLAG_FCANCREATE) << type.name;
            EXPECT_EQ(attributes.cImplTypes, 1) << type.name;
        }
    }
    int index = -1;
    EXPECT_TRUE(attributesOf(IID_IFolderImpl, index).wTypeFlags & TYPEFLAG_FDUAL);
    // Nothing beyond what IDispatch and IUnknown carry: the dispatch side lists their seven methods.
    EXPECT_EQ(attributesOf(IID_IFolderImpl, index).cFuncs, 7);
    EXPECT_EQ(attributesOf(IID_INewsShellViewImpl, index).cFuncs, 0);
}

}  // namespace
}  // namespace corvane
