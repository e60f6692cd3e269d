// The news view's loading and updating: the workers' messages, the progress window, the settings.

#include "platform/ModuleLock.h"
#include "platform/Trace.h"
#include "platform/Win32Text.h"
#include "resources/ResourceIds.h"
#include "view/NewsShellViewImpl.h"
#include "view/UpdateOutcome.h"
#include "view/ViewPrompts.h"

namespace corvane {
namespace {

// How often the progress window's Cancel is looked at besides each report: a download that gets no
// data reports nothing, and the Cancel must still be answered.
constexpr UINT_PTR kCancelTimer = 1;
constexpr UINT kCancelPollMs = 100;

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
    auto fetch = host_->TakeUpdate();
    schedule_.updateHandedOver();
    RSSObject& feed = *host_->Feed();
    if (fetch) {
        bool merged = !fetch->cancelled && !fetch->downloadFailed && !fetch->notRss;
        feed.takeFetch(std::move(*fetch));
        if (merged) unsaved_ = true;
    }
    UpdateOutcome outcome = updateOutcome(static_cast<uint32_t>(result), relay_.cancelled(), feed.url);
    if (outcome.storeAndRefresh) {
        // The ids go to corvane.xml with the messages: an update elsewhere must not bring them again.
        feed.storeFeed();
        RefreshListFromCollection();
    }
    if (outcome.boxText) {
        ModalScope modal(*this);
        CurrentViewPrompts().messageBox(window_, toWide(*outcome.boxText).c_str(),
                                        toWide(kUpdateFailedCaption).c_str(), MB_ICONWARNING);
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
    // The host destroyed the view's window while the sheet was open: nothing is left to show.
    if (!window_) return;
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
