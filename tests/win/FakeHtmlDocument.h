#pragma once
// Windows only: an HTML document of the tests' own, standing where the page control's host would
// create the platform's. It implements just what the page and the host call: the style-sheet
// collection and its length, createStyleSheet, a sheet's cssText, the body and its innerHTML, and
// in-place activation; every other method answers E_NOTIMPL. Written in C, where the interfaces'
// tables of methods can be filled slot by slot.

#include <windows.h>
#include <oleauto.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FakeDocumentState {
    // Set by the test before showing.
    long styleSheets; /* sheets the collection reports */
    int hasBody;
    int styleSheetsFail; /* get_styleSheets answers E_FAIL */
    // Recorded by the fake.
    long documentQueries; /* QueryInterface for IHTMLDocument2 */
    long sheetsCreated;
    BSTR lastHref;
    long lastIndex;
    BSTR cssText;
    long innerHtmlSets;
    BSTR innerHtml;
    long liveObjects; /* the document and every object it handed out, until their last Release */
    int siteHeld;     /* the host's client site, between SetClientSite and SetClientSite(NULL) */
    int activeInPlace;
    HWND activationWindow;
    RECT objectRect;
    int closed;
} FakeDocumentState;

// A new document (one reference, as IUnknown) recording into `state`, which must outlive it.
void* createFakeHtmlDocument(FakeDocumentState* state);
// Frees the texts the fake recorded.
void clearFakeDocumentState(FakeDocumentState* state);

#ifdef __cplusplus
}
#endif
