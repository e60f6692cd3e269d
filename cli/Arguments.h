#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::cli {

// Bad usage: the message is printed with the command's usage and the program exits with 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Any other failure: the message is printed and the program exits with 1.
struct CommandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What a subcommand accepts: flags ("--yes") and options that take a value ("--url URL", "-o FILE"),
// the latter possibly repeated ("--set").
struct ArgumentSpec {
    std::set<std::string> flags;
    std::set<std::string> options;
};

// The parsed arguments of one subcommand; unknown options are a UsageError. "--name=value" is
// accepted for options, and "--" ends the options.
class Arguments {
  public:
    Arguments(const std::vector<std::string>& arguments, const ArgumentSpec& spec);

    bool flag(const std::string& name) const { return flags_.count(name) > 0; }
    std::optional<std::string> option(const std::string& name) const;
    std::vector<std::string> options(const std::string& name) const;
    const std::vector<std::string>& positional() const { return positional_; }

    // The positional argument at `index`, or a UsageError naming what is missing.
    const std::string& required(size_t index, const std::string& what) const;
    // Refuses positional arguments beyond `count`.
    void noMoreThan(size_t count) const;

  private:
    std::set<std::string> flags_;
    std::map<std::string, std::vector<std::string>> options_;
    std::vector<std::string> positional_;
};

// A whole decimal number, or a UsageError naming what it was meant to be.
int parseInteger(const std::string& text, const std::string& what);

}  // namespace corvane::cli
