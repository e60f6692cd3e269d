#include "browser/NewsBrowser.h"
#include "cli/Commands.h"
#include "cli/OpenFolder.h"
#include "folder/NewsFolder.h"

namespace corvane::cli {

int runView(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    std::u16string path = absoluteFolder(dir);
    requireFolder(dir, path);
    if (!folder::isNewsFolder(path))
        throw CommandError(dir + " is not a news folder (make it one with: corvane create " + dir + ")");
    std::string error;
    if (browser::runNewsBrowser(path, error) != 0) throw CommandError(error);
    return 0;
}

}  // namespace corvane::cli
