#include "feedstore/StoreFile.h"

#include <string>

#include "platform/FileProbe.h"
#include "platform/Status.h"
#include "platform/Trace.h"
#include "platform/WideFormat.h"

namespace corvane {
namespace {

constexpr int kMaxBackups = 1000;

bool keepCopyOf(std::u16string_view path) {
    for (int n = 0; n <= kMaxBackups; ++n) {
        std::u16string backup = n == 0 ? std::u16string(path) + u".bad" : formatWide(u"%s.bad.%d", path, n);
        if (probeFile(backup) != FileProbe::Missing) continue;
        if (copyFileToNew(path, backup)) {
            trace(u"kept a copy of the unreadable %s as %s", path, backup);
            return true;
        }
        if (probeFile(backup) == FileProbe::Missing) break;  // the copy failed, it did not lose a race
    }
    traceError(u"no copy of the unreadable %s could be made; it is not replaced", kStatusFail, path);
    return false;
}

}  // namespace

StoreFileState probeStoreFile(std::u16string_view path) {
    switch (probeFile(path)) {
        case FileProbe::Missing:
            return StoreFileState::Missing;
        case FileProbe::Unreadable:
            return StoreFileState::Locked;
        case FileProbe::Readable:
            break;
    }
    return StoreFileState::NotLoaded;
}

bool prepareToReplace(std::u16string_view path, StoreFileState& state) {
    switch (state) {
        case StoreFileState::Locked:
            traceError(u"%s could not be opened when it was loaded; it is not replaced", kStatusFail, path);
            return false;
        case StoreFileState::Unreadable:
            switch (probeFile(path)) {
                case FileProbe::Missing:
                    break;  // gone meanwhile: nothing left to keep
                case FileProbe::Unreadable:
                    return false;
                case FileProbe::Readable:
                    if (!keepCopyOf(path)) return false;
                    break;
            }
            state = StoreFileState::Preserved;
            return true;
        default:
            return true;
    }
}

}  // namespace corvane
