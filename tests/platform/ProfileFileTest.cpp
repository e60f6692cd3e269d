// The same cases run natively against our reader and writer and under Wine against the system's
// profile functions, so both builds agree on what a desktop.ini says.
#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace corvane {
namespace {

using testing::TempFolder;

class ProfileFileTest : public ::testing::Test {
  protected:
    ProfileFile file(const std::string& contents) {
        folder.write("test.ini", contents);
        return ProfileFile(folder.file("test.ini"));
    }
    std::u16string read(const std::string& contents, std::u16string_view section, std::u16string_view key) {
        return file(contents).readString(section, key, u"default");
    }

    TempFolder folder;
};

TEST_F(ProfileFileTest, NamesMatchWithoutRegardToCase) {
    std::string ini = "[.ShellClassInfo]\r\nCLSID={AB}\r\n";
    EXPECT_EQ(read(ini, u".shellclassinfo", u"clsid"), u"{AB}");
    EXPECT_EQ(read("[.shellCLASSinfo]\r\nclsid={AB}\r\n", u".ShellClassInfo", u"CLSID"), u"{AB}");
    EXPECT_EQ(read(ini, u"  .ShellClassInfo ", u"\tCLSID "), u"{AB}");
    EXPECT_EQ(read("[ .ShellClassInfo\t]\r\nCLSID={AB}\r\n", u".ShellClassInfo", u"CLSID"), u"{AB}");
}

TEST_F(ProfileFileTest, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    std::string ini =
        "[s]\r\n"
        "  spaced  =   two words \t\r\n"
        "double=\"  kept inside  \"\r\n"
        "single='x'\r\n"
        "unmatched=\"x'\r\n"
        "lone=\"\r\n"
        "empty=\r\n"
        "inner=a\"b\"c\r\n";
    ProfileFile profile = file(ini);
    EXPECT_EQ(profile.readString(u"s", u"spaced"), u"two words");
    EXPECT_EQ(profile.readString(u"s", u"double"), u"  kept inside  ");
    EXPECT_EQ(profile.readString(u"s", u"single"), u"x");
    EXPECT_EQ(profile.readString(u"s", u"unmatched"), u"\"x'");
    EXPECT_EQ(profile.readString(u"s", u"lone"), u"\"");
    EXPECT_EQ(profile.readString(u"s", u"empty", u"default"), u"");
    EXPECT_EQ(profile.readString(u"s", u"inner"), u"a\"b\"c");
}

TEST_F(ProfileFileTest, DefaultWhenFileSectionOrKeyIsMissing) {
    EXPECT_EQ(ProfileFile(folder.file("none.ini")).readString(u"s", u"k", u"default"), u"default");
    EXPECT_EQ(read("[other]\r\nk=1\r\n", u"s", u"k"), u"default");
    EXPECT_EQ(read("[s]\r\nkey=1\r\n", u"s", u"k"), u"default");
    EXPECT_EQ(read("[s]\r\nk\r\n", u"s", u"k"), u"default");
    // Keys of the next section are not the section's.
    EXPECT_EQ(read("[s]\r\n[t]\r\nk=1\r\n", u"s", u"k"), u"default");
    EXPECT_EQ(ProfileFile(folder.file("none.ini")).readString(u"s", u"k", u"with spaces  "), u"with spaces");
}

TEST_F(ProfileFileTest, OnlyTheFirstSectionAndKeyOfANameCount) {
    EXPECT_EQ(read("[s]\r\nk=1\r\nK=2\r\n", u"s", u"k"), u"1");
    EXPECT_EQ(read("[s]\nx=1\n[t]\n[S]\nk=3\n", u"s", u"k"), u"default");
}

TEST_F(ProfileFileTest, WriteCreatesTheFile) {
    ProfileFile profile(folder.file("new.ini"));
    ASSERT_TRUE(profile.writeString(u".ShellClassInfo", u"CLSID", u"{AB}"));
    EXPECT_EQ(profile.readString(u".ShellClassInfo", u"CLSID"), u"{AB}");
    EXPECT_EQ(folder.read("new.ini"), "[.ShellClassInfo]\r\nCLSID={AB}\r\n");
}

TEST_F(ProfileFileTest, WriteReplacesAValueAndKeepsTheRest) {
    ProfileFile profile = file(
        "[.ShellClassInfo]\r\nIconResource=news.ico,0\r\nCLSID={OLD}\r\n"
        "[ViewState]\r\nMode=4\r\n");
    ASSERT_TRUE(profile.writeString(u".shellclassinfo", u"clsid", u"{NEW}"));
    EXPECT_EQ(profile.readString(u".ShellClassInfo", u"CLSID"), u"{NEW}");
    EXPECT_EQ(profile.readString(u".ShellClassInfo", u"IconResource"), u"news.ico,0");
    EXPECT_EQ(profile.readString(u"ViewState", u"Mode"), u"4");
}

TEST_F(ProfileFileTest, WriteAddsAKeyToItsSectionOrASectionAtTheEnd) {
    ProfileFile profile = file("[.ShellClassInfo]\r\nIconResource=news.ico,0\r\n\r\n[ViewState]\r\nMode=4");
    ASSERT_TRUE(profile.writeString(u".ShellClassInfo", u"CLSID", u"{AB}"));
    ASSERT_TRUE(profile.writeString(u"New", u"Key", u"1"));
    EXPECT_EQ(profile.readString(u".ShellClassInfo", u"CLSID"), u"{AB}");
    EXPECT_EQ(profile.readString(u".ShellClassInfo", u"IconResource"), u"news.ico,0");
    EXPECT_EQ(profile.readString(u"ViewState", u"CLSID", u"none"), u"none");
    EXPECT_EQ(profile.readString(u"ViewState", u"Mode"), u"4");
    EXPECT_EQ(profile.readString(u"New", u"Key"), u"1");
}

TEST_F(ProfileFileTest, WriteFailsWhereNoFileCanBe) {
    EXPECT_FALSE(ProfileFile(folder.file("missing/test.ini")).writeString(u"s", u"k", u"v"));
    std::filesystem::create_directory(folder.path() / "folder.ini");
    EXPECT_FALSE(ProfileFile(folder.file("folder.ini")).writeString(u"s", u"k", u"v"));
}

std::string utf16le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST_F(ProfileFileTest, Utf16FileIsReadAndWrittenAsUtf16) {
    ProfileFile profile = file(utf16le(u"[Sect]\r\nName=Caf\u00E9 \u20AC\r\n"));
    EXPECT_EQ(profile.readString(u"sect", u"name"), u"Caf\u00E9 \u20AC");
    ASSERT_TRUE(profile.writeString(u"Sect", u"Other", u"\u00FC"));
    EXPECT_EQ(profile.readString(u"Sect", u"Other"), u"\u00FC");
    EXPECT_EQ(profile.readString(u"Sect", u"Name"), u"Caf\u00E9 \u20AC");
    std::string bytes = folder.read("test.ini");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(bytes.find(utf16le(u"Other=\u00FC").substr(2)), std::string::npos);
}

#ifndef _WIN32
// The system's writer may respell lines it does not change; ours keeps them byte for byte.
TEST_F(ProfileFileTest, WriteKeepsEveryOtherLineAsItWas) {
    std::string before =
        "; made by hand\n"
        "[.ShellClassInfo]\r\n"
        "  IconResource = news.ico,0   \r\n"
        "NotUtf8=\xE9t\xE9\r\n"
        "\r\n"
        "[ViewState]\n"
        "Mode = 4";
    ProfileFile profile = file(before);
    ASSERT_TRUE(profile.writeString(u".ShellClassInfo", u"CLSID", u"{AB}"));
    EXPECT_EQ(folder.read("test.ini"),
              "; made by hand\n"
              "[.ShellClassInfo]\r\n"
              "  IconResource = news.ico,0   \r\n"
              "NotUtf8=\xE9t\xE9\r\n"
              "CLSID={AB}\r\n"
              "\r\n"
              "[ViewState]\n"
              "Mode = 4");
    ASSERT_TRUE(profile.writeString(u"viewstate", u"MODE", u"1"));
    ASSERT_TRUE(profile.writeString(u"ViewState", u"Vid", u"x"));
    std::string after = folder.read("test.ini");
    EXPECT_EQ(after.substr(after.find("[ViewState]")), "[ViewState]\nMode=1\r\nVid=x\r\n");
}

TEST_F(ProfileFileTest, Utf8ByteOrderMarkIsKept) {
    ProfileFile profile = file("\xEF\xBB\xBF[s]\r\nk=\xC3\xA9\r\n");
    EXPECT_EQ(profile.readString(u"s", u"k"), u"\u00E9");
    ASSERT_TRUE(profile.writeString(u"s", u"k", u"\u00FC"));
    EXPECT_EQ(folder.read("test.ini"), "\xEF\xBB\xBF[s]\r\nk=\xC3\xBC\r\n");
}
#endif

}  // namespace
}  // namespace corvane
