#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Updating many news folders at once: each as `corvane update` updates one (the update worker,
// then the folder's files written), at most a given number at a time, each on a thread of its own
// so that a slow or dead server delays only its own feed.
namespace corvane::folder {

inline constexpr size_t kDefaultUpdateJobs = 4;
// After a stop request, updates under way get this long to end by themselves before they are cut
// off (the folder then stays as it was): short enough to be gone within 2 s in all.
inline constexpr std::chrono::milliseconds kUpdateStopGrace{1500};

struct UpdateTarget {
    std::u16string path;
    std::u16string name;  // as shown: the path relative to the folder they were found under
};

enum class UpdateEnding { Updated, Failed, Cancelled };

struct FeedUpdateOutcome {
    UpdateTarget target;
    UpdateEnding ending = UpdateEnding::Failed;
    size_t newMessages = 0;
    std::u16string failure;  // for Failed: what the command prints for the same failure
};

// Every news folder below `dir` (`dir` itself when it is one), in the order of scanFeedTree. On
// Windows the calling thread needs a COM apartment.
std::vector<UpdateTarget> newsFoldersBelow(std::u16string_view dir);

// Updates one news folder on the calling thread (which gets a COM apartment of its own on Windows).
// `stopRequested` is asked every 100 ms; once it has said yes for kUpdateStopGrace the update is
// cut off and ends Cancelled, the folder's files untouched.
FeedUpdateOutcome updateNewsFolder(const UpdateTarget& target, const std::function<bool()>& stopRequested);

struct UpdateAllObserver {
    // Both are called on the updating threads, one call at a time.
    std::function<void(const UpdateTarget& target, size_t started, size_t total)> started;
    std::function<void(const FeedUpdateOutcome& outcome, size_t ended, size_t total)> ended;
};

// Updates the targets, at most `jobs` at once (at least one), and returns their outcomes in the
// targets' order. Once `stopRequested` says yes no further update starts (those never started end
// Cancelled) and those under way end as updateNewsFolder says. Returns when every thread is done.
std::vector<FeedUpdateOutcome> updateAll(const std::vector<UpdateTarget>& targets, size_t jobs,
                                         const std::function<bool()>& stopRequested,
                                         const UpdateAllObserver& observer = {});

}  // namespace corvane::folder
