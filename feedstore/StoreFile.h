#pragma once

#include <string_view>

namespace corvane {

// How the last load of a store file ended, which decides whether a save may replace it.
enum class StoreFileState {
    NotLoaded,   // never read in this session: a new object, replaced freely
    Read,        // read as expected
    Missing,     // there was no file
    Unreadable,  // there is a file, but not one we could read (broken, another root, an error partway)
    Locked,      // there is a file we could not open (in use, no permission): never replaced this session
    Preserved,   // was Unreadable; a copy of it now lies beside it, so it may be replaced
};

// Called before a save replaces the file at `path`. An unreadable file is first copied to
// "<path>.bad" (or ".bad.1", ".bad.2", … when those exist: an earlier copy may be the only good one),
// so a save never destroys what the user had. False when the save must not go ahead.
bool prepareToReplace(std::u16string_view path, StoreFileState& state);

// The state a load starts from: Missing, Locked, or NotLoaded when there is a readable file.
StoreFileState probeStoreFile(std::u16string_view path);

}  // namespace corvane
