#pragma once

#include "cli/Arguments.h"

// The subcommands of the corvane command; each returns the exit status.
namespace corvane::cli {

struct Command {
    const char* name;
    const char* synopsis;  // the usage line after "corvane "
    const char* help;      // what it does, for --help
    ArgumentSpec spec;
    int (*run)(const Arguments& arguments);
};

int runCreate(const Arguments& arguments);
int runRemove(const Arguments& arguments);
int runConfig(const Arguments& arguments);
int runUpdate(const Arguments& arguments);
int runList(const Arguments& arguments);
int runShow(const Arguments& arguments);
int runLabel(const Arguments& arguments);
int runDelete(const Arguments& arguments);
int runRead(const Arguments& arguments);
int runUnread(const Arguments& arguments);
int runSearch(const Arguments& arguments);
int runOpen(const Arguments& arguments);
int runInfo(const Arguments& arguments);
int runView(const Arguments& arguments);
int runUpdateAll(const Arguments& arguments);
int runImport(const Arguments& arguments);
int runExport(const Arguments& arguments);

// The exit status of an update cancelled with Ctrl-C.
constexpr int kExitInterrupted = 130;

}  // namespace corvane::cli
