#define CINTERFACE
#define COBJMACROS
#include "win/FakeHtmlDocument.h"

#include <mshtml.h>
#include <ole2.h>
#include <stddef.h>

static HRESULT STDMETHODCALLTYPE notImplemented(void) {
    return E_NOTIMPL;
}

// Every slot answers E_NOTIMPL until the fake puts a method of its own there. The methods take
// their arguments in registers and the caller cleans up, so one body serves every signature.
static void fillNotImplemented(void* table, size_t size) {
    void (**slots)(void) = (void (**)(void))table;
    for (size_t i = 0; i < size / sizeof(slots[0]); ++i)
        slots[i] = (void (*)(void))notImplemented;
}

static void replaceText(BSTR* slot, BSTR value) {
    SysFreeString(*slot);
    *slot = value ? SysAllocStringLen(value, SysStringLen(value)) : NULL;
}

/* One object with one interface: the collection, a sheet, the body. */
typedef struct FakeObject {
    const void* vtable;
    LONG references;
    FakeDocumentState* state;
    const IID* iid;
} FakeObject;

static FakeObject* newObject(const void* vtable, REFIID iid, FakeDocumentState* state) {
    FakeObject* object = (FakeObject*)CoTaskMemAlloc(sizeof(FakeObject));
    object->vtable = vtable;
    object->references = 1;
    object->state = state;
    object->iid = iid;
    ++state->liveObjects;
    return object;
}

static HRESULT STDMETHODCALLTYPE objectQueryInterface(IUnknown* self, REFIID riid, void** ppv) {
    FakeObject* object = (FakeObject*)self;
    *ppv = NULL;
    if (!IsEqualIID(riid, &IID_IUnknown) && !IsEqualIID(riid, &IID_IDispatch) &&
        !IsEqualIID(riid, object->iid))
        return E_NOINTERFACE;
    *ppv = self;
    ++object->references;
    return S_OK;
}
static ULONG STDMETHODCALLTYPE objectAddRef(IUnknown* self) {
    return (ULONG)++((FakeObject*)self)->references;
}
static ULONG STDMETHODCALLTYPE objectRelease(IUnknown* self) {
    FakeObject* object = (FakeObject*)self;
    const LONG left = --object->references;
    if (left == 0) {
        --object->state->liveObjects;
        CoTaskMemFree(object);
    }
    return (ULONG)left;
}

#define FAKE_UNKNOWN(table)                                                                                \
    do {                                                                                                   \
        (table).QueryInterface = (__typeof__((table).QueryInterface))(void (*)(void))objectQueryInterface; \
        (table).AddRef = (__typeof__((table).AddRef))(void (*)(void))objectAddRef;                         \
        (table).Release = (__typeof__((table).Release))(void (*)(void))objectRelease;                      \
    } while (0)

// The IUnknown of an interface of the document itself: prefixQueryInterface, prefixAddRef, prefixRelease.
#define OWN_UNKNOWN(table, prefix)                       \
    do {                                                 \
        (table).QueryInterface = prefix##QueryInterface; \
        (table).AddRef = prefix##AddRef;                 \
        (table).Release = prefix##Release;               \
    } while (0)

static HRESULT STDMETHODCALLTYPE sheetsLength(IHTMLStyleSheetsCollection* self, LONG* length) {
    *length = ((FakeObject*)self)->state->styleSheets;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE sheetPutCssText(IHTMLStyleSheet* self, BSTR text) {
    replaceText(&((FakeObject*)self)->state->cssText, text);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE bodyPutInnerHtml(IHTMLElement* self, BSTR html) {
    FakeDocumentState* state = ((FakeObject*)self)->state;
    replaceText(&state->innerHtml, html);
    ++state->innerHtmlSets;
    return S_OK;
}

static IHTMLStyleSheetsCollectionVtbl sheetsTable;
static IHTMLStyleSheetVtbl sheetTable;
static IHTMLElementVtbl bodyTable;

/* The document itself, with the OLE interfaces its host uses. */
typedef struct FakeDocument {
    IHTMLDocument2 document;
    IOleObject oleObject;
    IOleInPlaceObject inPlaceObject;
    LONG references;
    FakeDocumentState* state;
    IOleClientSite* site;
} FakeDocument;

static FakeDocument* fromOleObject(IOleObject* self) {
    return (FakeDocument*)((char*)self - offsetof(FakeDocument, oleObject));
}
static FakeDocument* fromInPlaceObject(IOleInPlaceObject* self) {
    return (FakeDocument*)((char*)self - offsetof(FakeDocument, inPlaceObject));
}

static HRESULT documentQuery(FakeDocument* document, REFIID riid, void** ppv) {
    *ppv = NULL;
    if (IsEqualIID(riid, &IID_IUnknown) || IsEqualIID(riid, &IID_IDispatch)) {
        *ppv = &document->document;
    } else if (IsEqualIID(riid, &IID_IHTMLDocument2)) {
        ++document->state->documentQueries;
        *ppv = &document->document;
    } else if (IsEqualIID(riid, &IID_IOleObject)) {
        *ppv = &document->oleObject;
    } else if (IsEqualIID(riid, &IID_IOleInPlaceObject) || IsEqualIID(riid, &IID_IOleWindow)) {
        *ppv = &document->inPlaceObject;
    } else {
        return E_NOINTERFACE;
    }
    ++document->references;
    return S_OK;
}
static ULONG documentRelease(FakeDocument* document) {
    const LONG left = --document->references;
    if (left == 0) {
        if (document->site) IOleClientSite_Release(document->site);
        --document->state->liveObjects;
        CoTaskMemFree(document);
    }
    return (ULONG)left;
}

static HRESULT STDMETHODCALLTYPE docQueryInterface(IHTMLDocument2* self, REFIID riid, void** ppv) {
    return documentQuery((FakeDocument*)self, riid, ppv);
}
static ULONG STDMETHODCALLTYPE docAddRef(IHTMLDocument2* self) {
    return (ULONG)++((FakeDocument*)self)->references;
}
static ULONG STDMETHODCALLTYPE docRelease(IHTMLDocument2* self) {
    return documentRelease((FakeDocument*)self);
}
static HRESULT STDMETHODCALLTYPE docGetStyleSheets(IHTMLDocument2* self,
                                                   IHTMLStyleSheetsCollection** sheets) {
    if (((FakeDocument*)self)->state->styleSheetsFail) {
        *sheets = NULL;
        return E_FAIL;
    }
    *sheets = (IHTMLStyleSheetsCollection*)newObject(&sheetsTable, &IID_IHTMLStyleSheetsCollection,
                                                     ((FakeDocument*)self)->state);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE docCreateStyleSheet(IHTMLDocument2* self, BSTR href, LONG index,
                                                     IHTMLStyleSheet** sheet) {
    FakeDocumentState* state = ((FakeDocument*)self)->state;
    ++state->sheetsCreated;
    ++state->styleSheets;
    replaceText(&state->lastHref, href);
    state->lastIndex = index;
    *sheet = (IHTMLStyleSheet*)newObject(&sheetTable, &IID_IHTMLStyleSheet, state);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE docGetBody(IHTMLDocument2* self, IHTMLElement** body) {
    FakeDocumentState* state = ((FakeDocument*)self)->state;
    *body = state->hasBody ? (IHTMLElement*)newObject(&bodyTable, &IID_IHTMLElement, state) : NULL;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE oleQueryInterface(IOleObject* self, REFIID riid, void** ppv) {
    return documentQuery(fromOleObject(self), riid, ppv);
}
static ULONG STDMETHODCALLTYPE oleAddRef(IOleObject* self) {
    return (ULONG)++fromOleObject(self)->references;
}
static ULONG STDMETHODCALLTYPE oleRelease(IOleObject* self) {
    return documentRelease(fromOleObject(self));
}
static HRESULT STDMETHODCALLTYPE oleSetClientSite(IOleObject* self, IOleClientSite* site) {
    FakeDocument* document = fromOleObject(self);
    if (site) IOleClientSite_AddRef(site);
    if (document->site) IOleClientSite_Release(document->site);
    document->site = site;
    document->state->siteHeld = site != NULL;
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE oleDoVerb(IOleObject* self, LONG verb, MSG* message, IOleClientSite* site,
                                           LONG index, HWND parent, const RECT* position) {
    (void)message;
    (void)index;
    FakeDocument* document = fromOleObject(self);
    IOleInPlaceSite* inPlaceSite = NULL;
    if (verb != OLEIVERB_INPLACEACTIVATE || !site) return E_NOTIMPL;
    if (FAILED(IOleClientSite_QueryInterface(site, &IID_IOleInPlaceSite, (void**)&inPlaceSite)))
        return E_FAIL;
    if (IOleInPlaceSite_CanInPlaceActivate(inPlaceSite) == S_OK) {
        IOleInPlaceFrame* frame = NULL;
        IOleInPlaceUIWindow* uiWindow = NULL;
        RECT placed, clip;
        OLEINPLACEFRAMEINFO info = {sizeof(info), FALSE, NULL, NULL, 0};
        IOleInPlaceSite_OnInPlaceActivate(inPlaceSite);
        if (SUCCEEDED(
                IOleInPlaceSite_GetWindowContext(inPlaceSite, &frame, &uiWindow, &placed, &clip, &info))) {
            if (frame) IOleInPlaceFrame_Release(frame);
            if (uiWindow) IOleInPlaceUIWindow_Release(uiWindow);
        }
        IOleInPlaceSite_GetWindow(inPlaceSite, &document->state->activationWindow);
        document->state->activeInPlace = 1;
        document->state->objectRect = *position;
        (void)parent;
    }
    IOleInPlaceSite_Release(inPlaceSite);
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE oleClose(IOleObject* self, DWORD option) {
    (void)option;
    fromOleObject(self)->state->closed = 1;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE placeQueryInterface(IOleInPlaceObject* self, REFIID riid, void** ppv) {
    return documentQuery(fromInPlaceObject(self), riid, ppv);
}
static ULONG STDMETHODCALLTYPE placeAddRef(IOleInPlaceObject* self) {
    return (ULONG)++fromInPlaceObject(self)->references;
}
static ULONG STDMETHODCALLTYPE placeRelease(IOleInPlaceObject* self) {
    return documentRelease(fromInPlaceObject(self));
}
static HRESULT STDMETHODCALLTYPE placeDeactivate(IOleInPlaceObject* self) {
    FakeDocument* document = fromInPlaceObject(self);
    IOleInPlaceSite* inPlaceSite = NULL;
    document->state->activeInPlace = 0;
    if (document->site && SUCCEEDED(IOleClientSite_QueryInterface(document->site, &IID_IOleInPlaceSite,
                                                                  (void**)&inPlaceSite))) {
        IOleInPlaceSite_OnInPlaceDeactivate(inPlaceSite);
        IOleInPlaceSite_Release(inPlaceSite);
    }
    return S_OK;
}
static HRESULT STDMETHODCALLTYPE placeSetObjectRects(IOleInPlaceObject* self, const RECT* position,
                                                     const RECT* clip) {
    (void)clip;
    fromInPlaceObject(self)->state->objectRect = *position;
    return S_OK;
}

static IHTMLDocument2Vtbl documentTable;
static IOleObjectVtbl oleObjectTable;
static IOleInPlaceObjectVtbl inPlaceObjectTable;

static void fillTables(void) {
    static int filled = 0;
    if (filled) return;
    filled = 1;
    fillNotImplemented(&sheetsTable, sizeof(sheetsTable));
    FAKE_UNKNOWN(sheetsTable);
    sheetsTable.get_length = sheetsLength;
    fillNotImplemented(&sheetTable, sizeof(sheetTable));
    FAKE_UNKNOWN(sheetTable);
    sheetTable.put_cssText = sheetPutCssText;
    fillNotImplemented(&bodyTable, sizeof(bodyTable));
    FAKE_UNKNOWN(bodyTable);
    bodyTable.put_innerHTML = bodyPutInnerHtml;

    fillNotImplemented(&documentTable, sizeof(documentTable));
    OWN_UNKNOWN(documentTable, doc);
    documentTable.get_styleSheets = docGetStyleSheets;
    documentTable.createStyleSheet = docCreateStyleSheet;
    documentTable.get_body = docGetBody;
    fillNotImplemented(&oleObjectTable, sizeof(oleObjectTable));
    OWN_UNKNOWN(oleObjectTable, ole);
    oleObjectTable.SetClientSite = oleSetClientSite;
    oleObjectTable.DoVerb = oleDoVerb;
    oleObjectTable.Close = oleClose;
    fillNotImplemented(&inPlaceObjectTable, sizeof(inPlaceObjectTable));
    OWN_UNKNOWN(inPlaceObjectTable, place);
    inPlaceObjectTable.InPlaceDeactivate = placeDeactivate;
    inPlaceObjectTable.SetObjectRects = placeSetObjectRects;
}

void* createFakeHtmlDocument(FakeDocumentState* state) {
    FakeDocument* document = (FakeDocument*)CoTaskMemAlloc(sizeof(FakeDocument));
    fillTables();
    document->document.lpVtbl = &documentTable;
    document->oleObject.lpVtbl = &oleObjectTable;
    document->inPlaceObject.lpVtbl = &inPlaceObjectTable;
    document->references = 1;
    document->state = state;
    document->site = NULL;
    ++state->liveObjects;
    return &document->document;
}

void clearFakeDocumentState(FakeDocumentState* state) {
    SysFreeString(state->lastHref);
    SysFreeString(state->cssText);
    SysFreeString(state->innerHtml);
    state->lastHref = state->cssText = state->innerHtml = NULL;
}
