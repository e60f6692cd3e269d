#pragma once

#include <string>
#include <string_view>

// Making a folder a news folder and a plain folder again, and telling the two apart. The folder
// object's desktop.ini check, the context-menu commands and the corvane command all come here.
// Create stores corvane.xml through the feed store: on Windows the calling thread needs a COM
// apartment, as for every feed-store operation.
namespace corvane::folder {

inline constexpr char16_t kDesktopIniFile[] = u"desktop.ini";
inline constexpr char16_t kSettingsFile[] = u"corvane.xml";
inline constexpr char16_t kItemsFile[] = u"rssitems.xml";
inline constexpr char16_t kReadmeFile[] = u"readme.txt";
inline constexpr char16_t kShellClassInfoSection[] = u".ShellClassInfo";
inline constexpr char16_t kClassIdKey[] = u"CLSID";

// readme.txt, for whoever sees the folder without the component: 8-bit text, CR LF between the
// lines and none after the last.
inline constexpr char kReadmeText[] =
    "This folder is configured to display news.  Corvane software\r\n"
    "required to display news from this folder. If you see this file\r\n"
    "in Explorer it seems that you do not have Corvane installed.\r\n"
    "Please install Corvane and try again.\r\n"
    "\r\n"
    "You can download latest version of Corvane from here:\r\n"
    "                  http://corvane.example/\r\n"
    "\r\n"
    "  Thank you.";

// Remove is confirmed by the caller first (caption "Corvane", Yes and No); this is the question.
inline constexpr char16_t kRemoveQuestion[] = u"Are you sure you wish to remove news from this folder:\n%s ?";
inline constexpr char16_t kRemoveQuestionWithoutPath[] =
    u"Are you sure you wish to remove news from this folder?";
// The question for `folder`; the one without a path when it would not fit 1,000 characters.
std::u16string removeQuestion(std::u16string_view folder);

enum class FolderStatus {
    Done,
    FolderMissing,
    NotAFolder,
    IsRoot,
    AlreadyNewsFolder,  // Create changed nothing
    NotNewsFolder,      // Remove changed nothing
    WriteFailed,        // the result's `file` could not be written (for the system mark: the folder)
    DeleteFailed,       // the result's `file` could not be deleted
};

struct FolderResult {
    FolderStatus status = FolderStatus::Done;
    std::u16string file;  // full path, for WriteFailed and DeleteFailed
};

// True when `value` is the folder class's CLSID exactly: all 38 characters, case included.
bool namesFolderClass(std::u16string_view value);

// The desktop.ini check: ".ShellClassInfo" / "CLSID" names the folder class. Nothing else counts,
// neither corvane.xml nor the system mark. An empty path is no news folder.
bool isNewsFolder(std::u16string_view folder);

// Whether a path may be made a news folder or a plain one at all: Done, FolderMissing, NotAFolder
// or IsRoot.
FolderStatus checkFolder(std::u16string_view folder);

// Writes corvane.xml, sets the CLSID in desktop.ini (keeping the rest of that file), writes
// readme.txt and sets the system mark. A readable corvane.xml is kept, so a folder that lost only its
// desktop.ini keeps its URL and ids; an unreadable one is kept as "corvane.xml.bad" before a new one
// replaces it. Like the menu command it goes on when corvane.xml, readme.txt or the mark fail, and
// reports the first such failure; when desktop.ini fails it stops there, and the folder stays plain.
FolderResult createNewsFolder(std::u16string_view folder);

// Deletes desktop.ini, corvane.xml, rssitems.xml and readme.txt (missing ones are no failure) and
// removes the system mark. It goes on past a failure and reports the first. Nothing else in the
// folder is touched: kept copies ("corvane.xml.bad", …) stay.
FolderResult removeNewsFolder(std::u16string_view folder);

}  // namespace corvane::folder
