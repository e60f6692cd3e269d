#include "server/RegistryScript.h"

#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace corvane::server {
namespace {

using Kind = RegistryAction::Kind;

const Replacements kReplacements = {{u"MODULE", u"C:\\lib\\corvane.dll"}, {u"CLSID", u"{1-2}"}};

std::vector<RegistryStatement> parsed(std::u16string_view script) {
    auto statements = parseRegistryScript(script, kReplacements);
    EXPECT_TRUE(statements.has_value());
    return statements.value_or(std::vector<RegistryStatement>{});
}

TEST(RegistryScript, ReadsStatementsWithReplacements) {
    auto script = parsed(
        u"; a comment line\r\n"
        u"\r\n"
        u"owned HKCR \"CLSID\\%CLSID%\"\r\n"
        u"  value HKCR \"CLSID\\%CLSID%\\DefaultIcon\" \"\" \"%MODULE%,-212\"\n"
        u"value HKLM \"SOFTWARE\\Approved\" \"%CLSID%\" \"100%% news\"");
    ASSERT_EQ(script.size(), 3u);
    EXPECT_EQ(script[0].kind, RegistryStatement::Kind::Owned);
    EXPECT_EQ(script[0].key, u"CLSID\\{1-2}");
    EXPECT_EQ(script[1].root, RegistryRoot::ClassesRoot);
    EXPECT_EQ(script[1].name, u"");
    EXPECT_EQ(script[1].data, u"C:\\lib\\corvane.dll,-212");
    EXPECT_EQ(script[2].root, RegistryRoot::LocalMachine);
    EXPECT_EQ(script[2].name, u"{1-2}");
    EXPECT_EQ(script[2].data, u"100% news");
}

TEST(RegistryScript, RejectsMalformedLines) {
    const char16_t* bad[] = {
        u"owned HKCU \"Software\"",                // a root we do not write
        u"value HKCR \"Key\" \"name\"",            // data missing
        u"owned HKCR \"Key\" \"extra\"",           // one text too many
        u"value HKCR Key \"\" \"data\"",           // key not quoted
        u"delete HKCR \"Key\"",                    // unknown statement
        u"owned HKCR \"Key",                       // unterminated text
        u"value HKCR \"Key\" \"\" \"%UNKNOWN%\"",  // unknown replacement
        u"value HKCR \"Key\" \"\" \"50%\"",        // lone percent sign
        u"owned HKCR \"\"",                        // empty key
    };
    for (const char16_t* line : bad)
        EXPECT_FALSE(parseRegistryScript(line, kReplacements).has_value()) << toUtf8(line);
}

TEST(RegistryScript, RegistrationRemovesOwnedKeysBeforeWritingThem) {
    auto actions =
        registrationActions(parsed(u"owned HKCR \"CLSID\\X\"\n"
                                   u"value HKCR \"CLSID\\X\" \"\" \"Corvane\"\n"
                                   u"value HKLM \"Approved\" \"X\" \"Corvane\""));
    std::vector<RegistryAction> expected = {
        {Kind::DeleteTree, RegistryRoot::ClassesRoot, u"CLSID\\X", u"", u""},
        {Kind::SetValue, RegistryRoot::ClassesRoot, u"CLSID\\X", u"", u"Corvane"},
        {Kind::SetValue, RegistryRoot::LocalMachine, u"Approved", u"X", u"Corvane"},
    };
    EXPECT_EQ(actions, expected);
}

TEST(RegistryScript, UnregistrationRemovesLooseValuesThenOwnedKeys) {
    auto actions = unregistrationActions(parsed(
        u"owned HKCR \"CLSID\\X\"\n"
        u"value HKCR \"clsid\\x\\InprocServer32\" \"\" \"m.dll\"\n"  // inside the owned key: goes with it
        u"value HKCR \"CLSID\\X2\" \"\" \"m.dll\"\n"                 // a sibling, not inside
        u"owned HKCR \"Folder\\shellex\\ContextMenuHandlers\\Corvane\"\n"
        u"value HKCR \"Folder\\shellex\\ContextMenuHandlers\\Corvane\" \"\" \"X\"\n"
        u"value HKLM \"CLSID\\X\" \"X\" \"Corvane\""));  // same key name under another root
    std::vector<RegistryAction> expected = {
        {Kind::DeleteValue, RegistryRoot::ClassesRoot, u"CLSID\\X2", u"", u""},
        {Kind::DeleteValue, RegistryRoot::LocalMachine, u"CLSID\\X", u"X", u""},
        {Kind::DeleteTree, RegistryRoot::ClassesRoot, u"CLSID\\X", u"", u""},
        {Kind::DeleteTree, RegistryRoot::ClassesRoot, u"Folder\\shellex\\ContextMenuHandlers\\Corvane", u"",
         u""},
    };
    EXPECT_EQ(actions, expected);
}

}  // namespace
}  // namespace corvane::server
