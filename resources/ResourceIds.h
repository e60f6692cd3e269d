#pragma once
// Resource identifiers of corvane.dll, shared by the resource script and the code (plain macros, so
// the resource compiler reads this file too).

// String table.
#define IDS_PROJNAME 100
#define IDS_COLUMN_TITLE 101
#define IDS_COLUMN_DESCRIPTION 102
#define IDS_COLUMN_LINK 103
#define IDS_COLUMN_DATE 104
#define IDS_PAGE_GENERAL 105
#define IDS_PAGE_DISPLAY 106
#define IDS_OPTIONS_CAPTION 107
#define IDS_NOT_CONFIGURED_ROW 108
#define IDS_MENU_CORVANE 109
#define IDS_MENU_CREATE 110
#define IDS_MENU_ABOUT 111
#define IDS_MENU_REMOVE 113
#define IDS_NOT_CONFIGURED_STATUS 114
#define IDS_FRIENDLY_TYPE_NAME 115
#define IDS_MENU_IMPORT_FEEDS 116
#define IDS_MENU_EXPORT_FEEDS 117
#define IDS_MENU_UPDATE_ALL_FEEDS 118

// The registry script of the folder class (type "REGISTRY"), and the type library (type "TYPELIB").
#define IDR_FOLDERIMPL 102
#define IDR_TYPELIB 1

// Icon group of news folders.
#define IDI_NEWSFOLDER 212

// The view's "Cor&vane" menu, merged into the file manager's menu bar.
#define IDR_VIEWMENU 202
// The About box and its picture.
#define IDD_ABOUT 206
#define IDB_ABOUT 208
// The two pages of the Options sheet.
#define IDD_OPTIONS_GENERAL 210
#define IDD_OPTIONS_DISPLAY 211
// Controls of the General page.
#define IDC_FEED_URL 211
#define IDC_REMEMBER_POSITION 212
#define IDC_OPEN_ON_DOUBLE_CLICK 217
#define IDC_DONT_SHOW_DELETE_CONFIRM 222
// Controls of the Display page.
#define IDC_SPLIT_HORIZONTAL 213
#define IDC_SPLIT_VERTICAL 214
#define IDC_DATE_FORMAT 215
#define IDC_SHOW_TIME 216
// The animation of the progress window during an update (type "AVI").
#define IDR_PROGRESS_AVI 213

// Texts are loaded into buffers of this many characters.
#define RESOURCE_TEXT_LENGTH 100

// Commands of the view's menu.
#define ID_VIEW_SETTINGS 3000
#define ID_VIEW_ABOUT 3001
#define ID_VIEW_UPDATE_FEED 3003
// Read state, in the view's menu and the list's context menu; their string-table entries of the
// same id are the help shown in the status bar while the item is highlighted.
#define ID_VIEW_MARK_READ 3004
#define ID_VIEW_MARK_UNREAD 3005
#define ID_VIEW_MARK_ALL_READ 3006
// Opens the find bar above the list (Ctrl+F); its help as for the read commands.
#define ID_VIEW_FIND 3007
