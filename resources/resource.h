#pragma once

// Menus, the menu bar definition and its labels.
#define IDR_MENUBAR 101
#define IDR_CONTEXT_MENUS 126
#define IDS_FILE 40003
#define IDS_EDIT 40085
#define IDS_VIEW 40058
#define IDS_HELP 40061

// Menu bar buttons.
#define IDM_FILE 40001
#define IDM_HELP 40002
#define IDM_VIEW 40056
#define IDM_EDIT 40083

// Commands.
#define IDM_QUIT 40004
#define IDM_LOCAL 40005
#define IDM_ABOUT 40050
#define IDM_NEW_HOST 40052
#define IDM_CURRENT_VIEW 40053
#define IDM_SELECT_ALL 40086
#define IDM_INVERT_SELECTION 40087
#define IDM_DELETE 40089
#define IDM_REFRESH 40091
#define IDM_OPTIONS 40092
#define IDM_DOWNLOAD 40098
#define IDM_RENAME 40108
#define IDM_NEW_FOLDER 40110
#define IDM_UPLOAD_TO_PLACEHOLDER 40111
#define IDM_CONTEXT_DELETE 40113
#define IDM_UP 40114
#define IDM_ALL_SESSIONS 40116

// Dialogs.
#define IDD_ABOUT 107

// Bitmaps and icons.
#define IDB_FOLDER 109
#define IDB_FILE 110
#define IDB_UP 130
#define IDI_CORVANE 100
#define IDI_SERVER 102
