// The page control's HTML path, through a document of the tests' own in the control's host.
#include <windows.h>

#include <gtest/gtest.h>

#include "itempage/ControlHost.h"
#include "itempage/ItemPage.h"
#include "itempage/WebPageControl.h"
#include "platform/ModuleLock.h"
#include "platform/Win32Text.h"
#include "win/FakeHtmlDocument.h"

namespace corvane {
namespace {

FakeDocumentState* currentState = nullptr;
CLSID requestedClass{};

HRESULT createFakeDocument(REFCLSID clsid, REFIID riid, void** object) {
    requestedClass = clsid;
    IUnknown* document = static_cast<IUnknown*>(createFakeHtmlDocument(currentState));
    const HRESULT hr = document->QueryInterface(riid, object);
    document->Release();
    return hr;
}

HRESULT failCreation(REFCLSID, REFIID, void** object) {
    *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}

std::wstring text(BSTR value) {
    return value ? std::wstring(value, SysStringLen(value)) : std::wstring();
}

RSSItem makeItem(std::u16string_view title) {
    RSSItem item;
    item.title = title;
    item.link = u"http://example.com/" + std::u16string(title);
    item.description = u"<b>news</b>";
    return item;
}

class WebPageDocument : public ::testing::Test {
  protected:
    void SetUp() override {
        currentState = &state;
        state.hasBody = 1;
        previousFactory = setControlFactory(&createFakeDocument);
        parent = CreateWindowExW(0, L"STATIC", L"page test", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        locksBefore = module::LockCount();
    }
    void TearDown() override {
        DestroyWindow(parent);
        setControlFactory(previousFactory);
        clearFakeDocumentState(&state);
        currentState = nullptr;
    }

    HWND createControl(WebPageControl& control) {
        return control.Create(parent, L"MSHTML:", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                              WS_EX_CLIENTEDGE);
    }

    FakeDocumentState state{};
    ControlFactory previousFactory = nullptr;
    HWND parent = nullptr;
    LONG locksBefore = 0;
};

TEST_F(WebPageDocument, TwoItemsGiveOneStyleSheetAndTheSecondItemsBody) {
    WebPageControl control;
    ASSERT_NE(createControl(control), nullptr);
    EXPECT_EQ(requestedClass,
              (CLSID{0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}}));
    control.ShowItem(makeItem(u"first"));
    control.ShowItem(makeItem(u"second"));
    EXPECT_EQ(state.sheetsCreated, 1);
    EXPECT_EQ(text(state.lastHref), L"");
    EXPECT_EQ(state.lastIndex, 0);
    EXPECT_EQ(text(state.cssText), toWide(itemPageStyleSheet()));
    EXPECT_EQ(state.innerHtmlSets, 2);
    EXPECT_EQ(text(state.innerHtml), toWide(renderItemBody(makeItem(u"second"))));
    EXPECT_EQ(state.documentQueries, 1) << "the document is fetched once and kept";
}

TEST_F(WebPageDocument, ADocumentThatHasAStyleSheetGetsNone) {
    state.styleSheets = 1;
    WebPageControl control;
    ASSERT_NE(createControl(control), nullptr);
    control.ShowItem(makeItem(u"item"));
    EXPECT_EQ(state.sheetsCreated, 0);
    EXPECT_EQ(state.innerHtmlSets, 1);
}

TEST_F(WebPageDocument, WithoutABodyNothingChanges) {
    state.hasBody = 0;
    WebPageControl control;
    ASSERT_NE(createControl(control), nullptr);
    control.ShowItem(makeItem(u"item"));
    EXPECT_EQ(state.innerHtmlSets, 0);
    state.hasBody = 1;
    control.ShowItem(makeItem(u"later"));
    EXPECT_EQ(text(state.innerHtml), toWide(renderItemBody(makeItem(u"later"))));
}

TEST_F(WebPageDocument, AFailedStyleStepLeavesThePageAsItWas) {
    WebPageControl control;
    ASSERT_NE(createControl(control), nullptr);
    control.ShowItem(makeItem(u"first"));
    state.styleSheets = 0;
    state.styleSheetsFail = 1;
    control.ShowItem(makeItem(u"second"));
    EXPECT_EQ(state.innerHtmlSets, 1);
    EXPECT_EQ(text(state.innerHtml), toWide(renderItemBody(makeItem(u"first"))));
}

TEST_F(WebPageDocument, QueryControlAnswersTheHostedDocumentOrFails) {
    WebPageControl none;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(none.QueryControl(IID_IUnknown, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);

    WebPageControl hosted;
    ASSERT_NE(createControl(hosted), nullptr);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(hosted.QueryControl(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    unknown->Release();

    setControlFactory(&failCreation);
    WebPageControl failed;
    ASSERT_NE(createControl(failed), nullptr) << "the window stays without its document";
    EXPECT_EQ(failed.QueryControl(IID_IUnknown, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
}

TEST_F(WebPageDocument, DocumentIsActivatedInTheWindowAndFollowsItsSize) {
    WebPageControl control;
    HWND window = createControl(control);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(state.activeInPlace);
    EXPECT_TRUE(state.siteHeld);
    EXPECT_EQ(state.activationWindow, window);
    MoveWindow(window, 10, 20, 300, 200, TRUE);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(state.objectRect.right, client.right);
    EXPECT_EQ(state.objectRect.bottom, client.bottom);
    EXPECT_GT(client.right, 250);
}

TEST_F(WebPageDocument, DestroyDeactivatesClosesAndReleasesEverything) {
    {
        WebPageControl control;
        ASSERT_NE(createControl(control), nullptr);
        control.ShowItem(makeItem(u"item"));
        EXPECT_GT(module::LockCount(), locksBefore);
        control.Destroy();
        EXPECT_EQ(control.Window(), nullptr);
        EXPECT_FALSE(state.activeInPlace);
        EXPECT_TRUE(state.closed);
        EXPECT_FALSE(state.siteHeld);
        EXPECT_EQ(state.liveObjects, 0);
        control.ShowItem(makeItem(u"after"));  // no window: nothing happens
        EXPECT_EQ(state.innerHtmlSets, 1);
    }
    EXPECT_EQ(module::LockCount(), locksBefore);
}

TEST_F(WebPageDocument, ParentsDestructionTakesTheControlsWindowAndDocument) {
    WebPageControl control;
    ASSERT_NE(createControl(control), nullptr);
    control.ShowItem(makeItem(u"item"));
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_EQ(control.Window(), nullptr);
    EXPECT_EQ(state.liveObjects, 0);
    control.Destroy();
}

TEST(WebPageControlWithoutWindow, DestroyReleasesNothingAndDoesNotFail) {
    const LONG locks = module::LockCount();
    WebPageControl control;
    control.Destroy();
    control.ShowItem(RSSItem{});
    control.Destroy();
    EXPECT_EQ(control.Window(), nullptr);
    EXPECT_EQ(module::LockCount(), locks);
}

}  // namespace
}  // namespace corvane
