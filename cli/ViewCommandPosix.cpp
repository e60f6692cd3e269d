#include "cli/Commands.h"

namespace corvane::cli {

// The news window hosts the DLL's view: there is none without Windows (or Wine).
int runView(const Arguments& arguments) {
    const std::string& dir = arguments.required(0, "DIR");
    arguments.noMoreThan(1);
    throw CommandError(
        "the news window needs Windows; under Wine run: scripts/wine-run "
        "build/win64/cli/corvane.exe view '" +
        dir + "'");
}

}  // namespace corvane::cli
