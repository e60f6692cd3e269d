#include "server/RegistryScript.h"

#include <algorithm>

namespace corvane::server {
namespace {

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r';
}

// Registry key names compare without regard to case; ASCII folding is enough for our own scripts.
char16_t folded(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool sameKeyName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (folded(a[i]) != folded(b[i])) return false;
    return true;
}

// `key` is `owner` or lies below it.
bool isWithin(std::u16string_view key, std::u16string_view owner) {
    if (key.size() < owner.size() || !sameKeyName(key.substr(0, owner.size()), owner)) return false;
    return key.size() == owner.size() || key[owner.size()] == u'\\';
}

std::optional<std::u16string> substitute(std::u16string_view text, const Replacements& replacements) {
    std::u16string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') {
            result += text[i];
            continue;
        }
        size_t end = text.find(u'%', i + 1);
        if (end == std::u16string_view::npos) return std::nullopt;
        std::u16string_view name = text.substr(i + 1, end - i - 1);
        if (name.empty()) {
            result += u'%';
        } else {
            auto found = std::find_if(replacements.begin(), replacements.end(),
                                      [&](const auto& entry) { return entry.first == name; });
            if (found == replacements.end()) return std::nullopt;
            result += found->second;
        }
        i = end;
    }
    return result;
}

struct Token {
    std::u16string text;
    bool quoted = false;
};

std::optional<std::vector<Token>> tokenize(std::u16string_view line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        if (isSpace(line[i])) {
            ++i;
        } else if (line[i] == u'"') {
            size_t end = line.find(u'"', i + 1);
            if (end == std::u16string_view::npos) return std::nullopt;
            tokens.push_back({std::u16string(line.substr(i + 1, end - i - 1)), true});
            i = end + 1;
        } else {
            size_t end = i;
            while (end < line.size() && !isSpace(line[end]) && line[end] != u'"')
                ++end;
            tokens.push_back({std::u16string(line.substr(i, end - i)), false});
            i = end;
        }
    }
    return tokens;
}

std::optional<RegistryRoot> rootNamed(const Token& token) {
    if (token.quoted) return std::nullopt;
    if (token.text == u"HKCR") return RegistryRoot::ClassesRoot;
    if (token.text == u"HKLM") return RegistryRoot::LocalMachine;
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<RegistryStatement>> parseRegistryScript(std::u16string_view script,
                                                                  const Replacements& replacements) {
    std::vector<RegistryStatement> statements;
    size_t start = 0;
    while (start <= script.size()) {
        size_t end = script.find(u'\n', start);
        if (end == std::u16string_view::npos) end = script.size();
        std::u16string_view line = script.substr(start, end - start);
        start = end + 1;

        std::optional<std::vector<Token>> tokens = tokenize(line);
        if (!tokens) return std::nullopt;
        if (tokens->empty() || (!(*tokens)[0].quoted && (*tokens)[0].text.starts_with(u';'))) continue;

        const std::vector<Token>& t = *tokens;
        RegistryStatement statement;
        size_t texts;
        if (!t[0].quoted && t[0].text == u"owned") {
            statement.kind = RegistryStatement::Kind::Owned;
            texts = 1;
        } else if (!t[0].quoted && t[0].text == u"value") {
            statement.kind = RegistryStatement::Kind::Value;
            texts = 3;
        } else {
            return std::nullopt;
        }
        if (t.size() != 2 + texts) return std::nullopt;
        std::optional<RegistryRoot> root = rootNamed(t[1]);
        if (!root) return std::nullopt;
        statement.root = *root;

        std::u16string* fields[] = {&statement.key, &statement.name, &statement.data};
        for (size_t i = 0; i < texts; ++i) {
            if (!t[2 + i].quoted) return std::nullopt;
            std::optional<std::u16string> text = substitute(t[2 + i].text, replacements);
            if (!text) return std::nullopt;
            *fields[i] = std::move(*text);
        }
        if (statement.key.empty()) return std::nullopt;
        statements.push_back(std::move(statement));
    }
    return statements;
}

std::vector<RegistryAction> registrationActions(const std::vector<RegistryStatement>& script) {
    std::vector<RegistryAction> actions;
    for (const RegistryStatement& s : script) {
        if (s.kind == RegistryStatement::Kind::Owned)
            actions.push_back({RegistryAction::Kind::DeleteTree, s.root, s.key, {}, {}});
        else
            actions.push_back({RegistryAction::Kind::SetValue, s.root, s.key, s.name, s.data});
    }
    return actions;
}

std::vector<RegistryAction> unregistrationActions(const std::vector<RegistryStatement>& script) {
    std::vector<RegistryAction> values;
    std::vector<RegistryAction> keys;
    for (const RegistryStatement& s : script) {
        if (s.kind == RegistryStatement::Kind::Owned) {
            keys.push_back({RegistryAction::Kind::DeleteTree, s.root, s.key, {}, {}});
            continue;
        }
        bool owned = std::any_of(script.begin(), script.end(), [&](const RegistryStatement& o) {
            return o.kind == RegistryStatement::Kind::Owned && o.root == s.root && isWithin(s.key, o.key);
        });
        if (!owned) values.push_back({RegistryAction::Kind::DeleteValue, s.root, s.key, s.name, {}});
    }
    values.insert(values.end(), keys.begin(), keys.end());
    return values;
}

}  // namespace corvane::server
