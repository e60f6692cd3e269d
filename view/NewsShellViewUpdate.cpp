// The news view's loading and updating: the workers' messages, the progress window, the settings.

#include "platform/ModuleLock.h"
#include "platform/Trace.h"
#include "platform/WideFormat.h"
#include "platform/Win32Text.h"
#include "resources/ResourceIds.h"
#include "view/NewsShellViewImpl.h"
#include "view/ViewPrompts.h"

namespace corvane {
namespace {

constexpr size_t kBoxTextLength = 2048;
// How often the progress window's Cancel is looked at besides each report: a download that gets no
// data reports nothing, and the Cancel must still be answered.
constexpr UINT_PTR kCancelTimer = 1;
constexpr UINT kCancelPollMs = 100;

// The box text with the URL, or without it when the two do not fit the box's buffer.
std::wstring failureText(const char16_t* withUrl, const char16_t* withoutUrl, const std::u16string& url) {
    std::u16string text = formatWide(withUrl, url);
    if (text.size() >= kBoxTextLength) text = withoutUrl;
    return toWide(text);
}

}  // namespace

void CNewsShellViewImpl::OnFeedLoaded() {
    if (auto items = host_->TakeLoadedItems()) host_->Feed()->takeStoredItems(std::move(*items));
    RefreshListFromCollection();
    if (currentIndex >= 0) ShowRow(currentIndex);
    if (schedule_.loadHandedOver()) StartUpdate();
}

void CNewsShellViewImpl::StartUpdate() {
    relay_.reset();
    if (!host_->StartUpdate(threadParams.get())) schedule_.updateNotStarted();
}

void CNewsShellViewImpl::OnUpdateStarted() {
    if (!progress && FAILED(CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IProgressDialog, progress.putVoid())))
        progress.reset();
    if (!progress) return;
    progress->SetTitle(L"Updating feed...");
    progress->StartProgressDialog(nullptr, nullptr, PROGDLG_NOTIME, nullptr);
    progress->SetCancelMsg(L"Please wait... ", nullptr);
    progress->SetAnimation(module::Instance(), IDR_PROGRESS_AVI);
    progress->SetLine(1, L"Downloading...", FALSE, nullptr);
    progress->SetLine(2, toWide(host_->Feed()->url).c_str(), TRUE, nullptr);
    SetTimer(window_, kCancelTimer, kCancelPollMs, nullptr);
}

void CNewsShellViewImpl::OnProgressWaiting() {
    auto figures = relay_.take();
    if (!progress) return;
    if (progress->HasUserCancelled()) {
        // The worker stops at its next report; the window goes now, the result comes when it ends.
        relay_.cancel();
        CloseProgress();
        return;
    }
    if (figures && figures->contentLength > 0)
        progress->SetProgress(figures->received, figures->contentLength);
}

void CNewsShellViewImpl::CloseProgress() {
    if (!progress) return;
    KillTimer(window_, kCancelTimer);
    if (progress->HasUserCancelled()) trace(u"User cancelled");
    progress->StopProgressDialog();
    progress.reset();
}

void CNewsShellViewImpl::OnUpdateDone(WPARAM result) {
    CloseProgress();
    // A download the user cancelled while it got no data ends as it can, failed most likely: it
    // ends as a cancelled one does, without a box.
    if (relay_.cancelled()) result = UPDATE_OK;
    auto fetch = host_->TakeUpdate();
    schedule_.updateHandedOver();
    RSSObject& feed = *host_->Feed();
    if (fetch) {
        bool merged = !fetch->cancelled && !fetch->downloadFailed && !fetch->notRss;
        feed.takeFetch(std::move(*fetch));
        if (merged) unsaved_ = true;
    }
    switch (result) {
        case UPDATE_OK:
            // The ids go to corvane.xml with the messages: an update elsewhere must not bring them again.
            feed.storeFeed();
            RefreshListFromCollection();
            break;
        case UPDATE_NOT_RSS:
        case UPDATE_DOWNLOAD_FAILED: {
            std::wstring text = result == UPDATE_NOT_RSS
                                    ? failureText(u"Requested url is not valid RSS XML: %s",
                                                  u"Requested url is not valid RSS XML", feed.url)
                                    : failureText(u"Unable to download RSS feed: %s",
                                                  u"Unable to download RSS feed", feed.url);
            ModalScope modal(*this);
            CurrentViewPrompts().messageBox(window_, text.c_str(), L"Update failed", MB_ICONWARNING);
            break;
        }
        default:
            break;
    }
}

void CNewsShellViewImpl::ReleaseHeldHandOvers() noexcept {
    for (const HandOver& held : hold_.boxClosed())
        if (window_) PostMessageW(window_, held.message, held.wParam, held.lParam);
}

void CNewsShellViewImpl::OnSettings(bool repaint) {
    RSSObject& feed = *host_->Feed();
    bool wasConfigured = feed.isConfigured();
    {
        ModalScope modal(*this);
        CurrentViewPrompts().showOptions(feed);
    }
    // The rows and the status follow the URL at once; a selection made of the not-configured row, or
    // of messages about to hide behind it, names nothing any more.
    if (wasConfigured != feed.isConfigured()) {
        currentIndex = -1;
        SelectItems({}, nullptr);
        RefreshListFromCollection(false);
    }
    if (!wasConfigured && feed.isConfigured()) Refresh();
    if (repaint && list.Window()) InvalidateRect(list.Window(), nullptr, TRUE);
}

}  // namespace corvane
