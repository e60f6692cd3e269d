#include "cli/Arguments.h"

#include <charconv>

namespace corvane::cli {

Arguments::Arguments(const std::vector<std::string>& arguments, const ArgumentSpec& spec) {
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional_.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = argument;
        std::optional<std::string> inlineValue;
        if (size_t equals = argument.find('='); argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            inlineValue = argument.substr(equals + 1);
        }
        if (spec.flags.count(name)) {
            if (inlineValue) throw UsageError(name + " takes no value");
            flags_.insert(name);
        } else if (spec.options.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= arguments.size()) throw UsageError(name + " needs a value");
                inlineValue = arguments[++i];
            }
            options_[name].push_back(*inlineValue);
        } else {
            throw UsageError("unknown option " + name);
        }
    }
}

std::optional<std::string> Arguments::option(const std::string& name) const {
    auto found = options_.find(name);
    if (found == options_.end()) return std::nullopt;
    return found->second.back();
}

std::vector<std::string> Arguments::options(const std::string& name) const {
    auto found = options_.find(name);
    return found == options_.end() ? std::vector<std::string>{} : found->second;
}

const std::string& Arguments::required(size_t index, const std::string& what) const {
    if (index >= positional_.size()) throw UsageError("missing " + what);
    return positional_[index];
}

void Arguments::noMoreThan(size_t count) const {
    if (positional_.size() > count) throw UsageError("unexpected argument " + positional_[count]);
}

int parseInteger(const std::string& text, const std::string& what) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw UsageError(what + " must be a whole number, not '" + text + "'");
    return value;
}

}  // namespace corvane::cli
