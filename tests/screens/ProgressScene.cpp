// The shell's progress window playing our animation, as an update shows it.

#include <windows.h>
#include <shlobj.h>

#include "platform/ComPtr.h"
#include "platform/ModuleLock.h"
#include "resources/ResourceIds.h"
#include "tests/screens/Screens.h"

namespace corvane::screens {
namespace {

void showProgress() {
    ComPtr<IProgressDialog> progress;
    if (FAILED(CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IProgressDialog,
                                progress.putVoid())))
        return;
    progress->SetTitle(L"Corvane");
    progress->SetLine(1, L"Updating feed", FALSE, nullptr);
    progress->SetLine(2, L"http://news.corvane.example/headlines/rss.xml", TRUE, nullptr);
    progress->StartProgressDialog(nullptr, nullptr, PROGDLG_NORMAL | PROGDLG_NOTIME, nullptr);
    // After the start: Wine opens the clip in the window that the start made.
    progress->SetAnimation(module::Instance(), IDR_PROGRESS_AVI);
    progress->SetProgress(40, 100);
    // The window lives on a thread of its own; give it time to show a few frames.
    Sleep(1200);
    Ready();
    RunMessageLoop();
}

const Registration progress({L"progress", L"the shell's progress window with the update animation",
                             &showProgress});

}  // namespace
}  // namespace corvane::screens
