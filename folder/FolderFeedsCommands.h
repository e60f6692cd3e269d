#pragma once

#include <windows.h>

#include <string>

// The folder menu's commands on a folder of news folders: the common dialogs and the progress
// window around the portable import, export and update-all. Each ends with one box, shown by
// `report`.
namespace corvane {

using FeedsReportFunction = void (*)(const std::wstring& text);

void ImportFeeds(HWND owner, const std::u16string& folder, FeedsReportFunction report);
void ExportFeeds(HWND owner, const std::u16string& folder, FeedsReportFunction report);
void UpdateAllFeeds(HWND owner, const std::u16string& folder, FeedsReportFunction report);

}  // namespace corvane
