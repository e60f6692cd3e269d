// The message page as the news view holds it, showing one message of the sample feed with a long
// description: once from the top, once scrolled to its end.

#include <windows.h>

#include <memory>

#include "itempage/WebPageControl.h"
#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

WebPageControl* page = nullptr;
bool scrollToEnd = false;

RSSItem sampleItem() {
    RSSItem item;
    item.title = u"Chess club beats the capital";
    item.link = u"http://127.0.0.1:8080/news/2026/11/27/chess-club-beats-the-capital.html";
    item.author = u"desk@corvane.example (News desk)";
    item.hasDate = true;
    item.publishedTime = SystemTime{2026, 11, 5, 27, 16, 23, 19, 0};
    item.enclosure = std::make_unique<RSSEnclosure>(
        RSSEnclosure{u"http://127.0.0.1:8080/audio/chess-final.mp3", 482113, u"audio/mpeg"});
    item.description =
        u"<p>A narrow <b>4.5&ndash;3.5</b> win in the last round of the league gave the town's club its "
        u"first title in <i>thirty-one years</i>. The decisive game, on board two, lasted six hours and "
        u"ended in a rook endgame that most spectators had written off as a draw.</p>"
        u"<h3>How the evening went</h3>"
        u"<ol><li>Boards one and four were drawn before the first time control.</li>"
        u"<li>The capital's captain won on board three with a <u>kingside attack</u>.</li>"
        u"<li>Our juniors levelled the match on boards five and six.</li></ol>"
        u"<blockquote>&ldquo;I only saw the winning line after the second coffee,&rdquo; said the "
        u"player on board two, who asked not to be named.</blockquote>"
        u"<p>The final position, for those who want to check it at home:</p>"
        u"<pre>8/5k2/8/4R3/6K1/8/5r2/8 w - - 0 71\n71. Re5-f5+  Kf7-g6</pre>"
        u"<ul><li>Next season starts in September.</li><li>New members train on Tuesdays.</li>"
        u"<li>Results are kept on <a href=\"http://127.0.0.1:8080/chess/results.html\">the club's "
        u"page</a>.</li></ul>"
        u"<p>The club thanks the library for the room, the bakery for the cakes, and everyone who "
        u"came to watch in the cold. A <a href=\"javascript:alert('x')\">script link</a> stays plain "
        u"text, and so does an image without words: <img src=\"http://127.0.0.1:8080/i.png\" "
        u"alt=\"[photo: the team]\"></p>"
        u"<p>Reporting by the news desk.</p>";
    return item;
}

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (page && page->Window())
                MoveWindow(page->Window(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void showPage() {
    HWND frame =
        CreateFrame(L"CorvaneScreensPage", &frameProcedure, L"Harbourtown Daily", 560, 420, COLOR_BTNFACE);
    static WebPageControl control;
    page = &control;
    // As the news view creates its page.
    control.Create(frame, L"MSHTML:", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE);
    RECT client;
    GetClientRect(frame, &client);
    MoveWindow(control.Window(), 0, 0, client.right, client.bottom, TRUE);
    control.ShowItem(sampleItem());
    ShowWindow(frame, SW_SHOW);
    if (scrollToEnd)
        if (HWND text = GetWindow(control.Window(), GW_CHILD)) SendMessageW(text, WM_VSCROLL, SB_BOTTOM, 0);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Ready();
    RunMessageLoop();
}

void showPageEnd() {
    scrollToEnd = true;
    showPage();
}

const Registration pageScene({L"page", L"the message page with a long sample message", &showPage});
const Registration pageEndScene({L"page-end", L"the same page scrolled to its end", &showPageEnd});

}  // namespace
}  // namespace corvane::screens
