#include "folder/FolderFeedsCommands.h"

#include <commdlg.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "folder/FeedUpdateAll.h"
#include "folder/FeedsMenuText.h"
#include "folder/OpmlExport.h"
#include "folder/OpmlImport.h"
#include "platform/ComPtr.h"
#include "platform/FileReplace.h"
#include "platform/ModuleLock.h"
#include "platform/Status.h"
#include "platform/Trace.h"
#include "platform/Win32Text.h"
#include "resources/ResourceIds.h"

namespace corvane {
namespace {

constexpr wchar_t kFilter[] = L"Subscription lists (*.opml, *.xml)\0*.opml;*.xml\0All files (*.*)\0*.*\0";
constexpr DWORD kPollMs = 100;

// The file the user chose, or empty when the dialog was cancelled.
std::wstring chooseFile(HWND owner, bool save, const wchar_t* title) {
    std::vector<wchar_t> name(32768, L'\0');
    if (save) wcscpy(name.data(), L"subscriptions.opml");
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = L"opml";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? std::wstring(name.data()) : std::wstring();
}

// Lets the shell's window go on painting while the workers run.
void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

void ImportFeeds(HWND owner, const std::u16string& folder, FeedsReportFunction report) {
    std::wstring file = chooseFile(owner, false, L"Import feeds");
    if (file.empty()) return;
    trace(u"Importing %s into %s", fromWide(file), folder);
    folder::ImportReport imported = folder::importOpmlFile(fromWide(file), folder);
    report(toWide(folder::importSummaryText(imported)));
}

void ExportFeeds(HWND owner, const std::u16string& folder, FeedsReportFunction report) {
    std::wstring file = chooseFile(owner, true, L"Export feeds");
    if (file.empty()) return;
    size_t feeds = 0;
    std::string document = folder::exportOpml(folder, feeds);
    FileReplaceResult written = replaceFileAtomically(fromWide(file), document);
    if (!written) {
        traceError(u"%s", static_cast<uint32_t>(written.status), written.description);
        report(L"Unable to write " + file);
        return;
    }
    report(L"Exported " + std::to_wstring(feeds) + L" feeds to " + file);
}

void UpdateAllFeeds(HWND owner, const std::u16string& folder, FeedsReportFunction report) {
    const std::vector<folder::UpdateTarget> targets = folder::newsFoldersBelow(folder);
    if (targets.empty()) return;
    ComPtr<IProgressDialog> progress;
    if (FAILED(CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IProgressDialog,
                                progress.putVoid())))
        progress.reset();
    if (progress) {
        progress->SetTitle(L"Updating feeds...");
        progress->StartProgressDialog(owner, nullptr, PROGDLG_NOTIME, nullptr);
        progress->SetCancelMsg(L"Please wait... ", nullptr);
        progress->SetAnimation(module::Instance(), IDR_PROGRESS_AVI);
    }

    // What the workers tell the shell's thread, which alone talks to the progress window.
    struct Shared {
        std::mutex lock;
        std::u16string line;
        size_t ended = 0;
        std::atomic<bool> stop{false};
        std::atomic<bool> done{false};
        std::vector<folder::FeedUpdateOutcome> outcomes;
    };
    auto shared = std::make_shared<Shared>();
    folder::UpdateAllObserver observer;
    observer.started = [shared](const folder::UpdateTarget& target, size_t started, size_t total) {
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->line = folder::updateProgressText(started, total, target.name);
    };
    observer.ended = [shared](const folder::FeedUpdateOutcome&, size_t ended, size_t) {
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->ended = ended;
    };
    std::thread worker([shared, targets, observer] {
        std::vector<folder::FeedUpdateOutcome> outcomes;
        try {
            outcomes = folder::updateAll(
                targets, folder::kDefaultUpdateJobs, [shared] { return shared->stop.load(); }, observer);
        } catch (const std::exception& error) {
            traceError(u"Updating all feeds ended by an error: %s", kStatusFail, error.what());
        }
        std::lock_guard<std::mutex> guard(shared->lock);
        shared->outcomes = std::move(outcomes);
        shared->done = true;
    });
    std::u16string shown;
    while (!shared->done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
        pumpMessages();
        if (!progress) continue;
        if (progress->HasUserCancelled()) shared->stop = true;
        std::lock_guard<std::mutex> guard(shared->lock);
        if (shared->line != shown) {
            shown = shared->line;
            progress->SetLine(1, toWide(shown).c_str(), TRUE, nullptr);
        }
        progress->SetProgress(static_cast<DWORD>(shared->ended), static_cast<DWORD>(targets.size()));
    }
    worker.join();
    if (progress) progress->StopProgressDialog();
    report(toWide(folder::updateSummaryText(shared->outcomes)));
}

}  // namespace corvane
