#pragma once

#include <string>
#include <vector>

#include "folder/FeedUpdateAll.h"

// Updating many news folders from the command: update --all and import --update.
namespace corvane::cli {

// "NAME: N new message(s)", "NAME: failed: WHY" or "NAME: cancelled", with its line end.
std::string updateLine(const folder::FeedUpdateOutcome& outcome);
// Updates them (Ctrl-C stops starting more), printing each feed's line as it ends.
std::vector<folder::FeedUpdateOutcome> updateFolders(const std::vector<folder::UpdateTarget>& targets,
                                                     size_t jobs);
// Prints the summary; the exit status: 0 all updated, 1 any failed, 130 interrupted.
int reportUpdates(const std::vector<folder::FeedUpdateOutcome>& outcomes);

}  // namespace corvane::cli
