// The folder object's trace lines keep their wording: people compare traces across versions. This is
// the one place that pins them; the other folder tests assert behaviour only.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "folder/FolderImpl.h"
#include "folder/NewsFolder.h"
#include "platform/ComApartment.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "support/DropDataObject.h"
#include "support/TempFolder.h"
#include "support/TraceCapture.h"

namespace corvane {
namespace {

using corvane::testing::DropDataObject;
using corvane::testing::TempFolder;
using corvane::testing::TraceCapture;

// The trace lines (thread prefix removed) that `call` writes on a fresh folder object.
std::vector<std::string> linesOf(const std::function<void(IShellFolder&)>& call) {
    ComPtr<IShellFolder> folder;
    EXPECT_EQ(CFolderImpl::CreateInstance(nullptr, IID_IShellFolder, folder.putVoid()), S_OK);
    TraceCapture capture("folder-wording");
    call(*folder.get());
    return capture.messages();
}

TEST(FolderTrace, NamespaceCallsNameThemselves) {
    struct Case {
        std::function<void(IShellFolder&)> call;
        std::vector<std::string> lines;
    };
    void* object = nullptr;
    const Case cases[] = {
        {[](IShellFolder& f) { f.ParseDisplayName(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); },
         {"CFolderImpl::ParseDisplayName"}},
        {[&](IShellFolder& f) { f.BindToStorage(nullptr, nullptr, IID_IStream, &object); },
         {"CFolderImpl::BindToStorage"}},
        {[](IShellFolder& f) { f.SetNameOf(nullptr, nullptr, L"x", 0, nullptr); },
         {"CFolderImpl::SetNameOf"}},
        {[](IShellFolder& f) {
             ComPtr<IPersist> persist;
             CLSID clsid;
             if (SUCCEEDED(f.QueryInterface(IID_IPersist, persist.putVoid()))) persist->GetClassID(&clsid);
         },
         {"CFolderImpl::GetClassID"}},
        {[&](IShellFolder& f) { f.GetDisplayNameOf(nullptr, SHGDN_FORPARSING, nullptr); },
         {"CFolderImpl::GetDisplayNameOf pidl = 0 flags = 8000, lpname = 0"}},
        // The bound folder is released at once: it traces its life too.
        {[](IShellFolder& f) {
             ComPtr<IShellFolder> child;
             f.BindToObject(nullptr, nullptr, IID_IShellFolder, child.putVoid());
         },
         {"CFolderImpl::BindToObject pidl = 0", "CFolderImpl::_init", "CFolderImpl constructor",
          "CFolderImpl destructor"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(linesOf(c.call), c.lines);
}

TEST(FolderTrace, ObjectsTraceTheirLife) {
    TraceCapture capture("folder-life");
    {
        ComPtr<IShellFolder> folder;
        ASSERT_EQ(CFolderImpl::CreateInstance(nullptr, IID_IShellFolder, folder.putVoid()), S_OK);
    }
    EXPECT_EQ(capture.messages(),
              (std::vector<std::string>{"CFolderImpl constructor", "CFolderImpl destructor"}));
}

TEST(FolderTrace, MenuCommandsNameWhatTheyDo) {
    ComApartment apartment;
    TempFolder directory;
    ComPtr<IShellExtInit> handler;
    ASSERT_EQ(CFolderImpl::CreateInstance(nullptr, IID_IShellExtInit, handler.putVoid()), S_OK);
    ComPtr<IContextMenu> menu = handler.as<IContextMenu>(IID_IContextMenu);
    CFolderImpl::SetRemoveConfirmation([](const std::wstring&) { return true; });
    auto run = [&](UINT command) {
        ComPtr<IDataObject> data(
            new DropDataObject({directory.path().wstring()}, DropDataObject::Answer::Drop));
        ASSERT_EQ(handler->Initialize(nullptr, data.get(), nullptr), S_OK);
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof(info);
        info.lpVerb = MAKEINTRESOURCEA(command);
        menu->InvokeCommand(&info);
    };

    TraceCapture capture("folder-menu-wording");
    run(0);
    run(1);
    char text[8] = {};
    menu->GetCommandString(0, GCS_VERBA, nullptr, text, sizeof(text));
    CFolderImpl::SetRemoveConfirmation(nullptr);

    const std::string path = toUtf8(directory.path().u16string());
    EXPECT_EQ(capture.messages(), (std::vector<std::string>{
                                      "CFolderImpl::InvokeCommand",
                                      "Launching command 0",
                                      "Notify shell that we add Corvane for " + path,
                                      "CFolderImpl::InvokeCommand",
                                      "Launching command 1",
                                      "Notify shell that we remove Corvane from " + path,
                                      "CFolderImpl::GetCommandString",
                                  }));
}

}  // namespace
}  // namespace corvane
