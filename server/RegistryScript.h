#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The module's registration scripts: what they say, and what registering and unregistering do with
// it. The registrar only carries out the actions, so the rules are the same on both builds.
//
// A script is lines of words and "quoted texts"; ';' starts a comment line.
//   owned ROOT "key"                 the key is ours: removed with its subkeys before registering and
//                                    when unregistering
//   value ROOT "key" "name" "data"   a string value ("" names the default value), written when
//                                    registering; removed when unregistering unless an owned key holds it
// ROOT is HKCR or HKLM. "%NAME%" in a text is replaced by the replacement of that name, "%%" by '%'.
namespace corvane::server {

enum class RegistryRoot { ClassesRoot, LocalMachine };

struct RegistryStatement {
    enum class Kind { Owned, Value };
    Kind kind = Kind::Value;
    RegistryRoot root = RegistryRoot::ClassesRoot;
    std::u16string key;
    std::u16string name;
    std::u16string data;
};

struct RegistryAction {
    enum class Kind { DeleteTree, SetValue, DeleteValue };
    Kind kind = Kind::SetValue;
    RegistryRoot root = RegistryRoot::ClassesRoot;
    std::u16string key;
    std::u16string name;
    std::u16string data;

    bool operator==(const RegistryAction&) const = default;
};

using Replacements = std::vector<std::pair<std::u16string, std::u16string>>;

// Nothing when a line is malformed or names an unknown replacement.
std::optional<std::vector<RegistryStatement>> parseRegistryScript(std::u16string_view script,
                                                                  const Replacements& replacements);

// In order: each owned key removed as it comes, each value written.
std::vector<RegistryAction> registrationActions(const std::vector<RegistryStatement>& script);
// In order: values outside owned keys removed, then the owned keys. Keys on the way stay.
std::vector<RegistryAction> unregistrationActions(const std::vector<RegistryStatement>& script);

}  // namespace corvane::server
