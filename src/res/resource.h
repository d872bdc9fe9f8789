// Resource ids shared by the resource script and the code. The numbers are fixed: other
// tools and the handset vendor's documentation refer to them.
#pragma once

// Icons
#define IDI_APP            107
#define IDI_APP_SMALL      108
#define IDI_STATUS_ENABLED 129
#define IDI_STATUS_NOPHONE 130
#define IDI_STATUS_NOSKYPE 131

// Menus, accelerators, dialogs, strings
#define IDM_MAIN           109
#define IDA_MAIN           109
#define IDM_TRAY           155
#define IDD_ABOUT          103
#define IDS_APP_TITLE      103

// Commands
#define IDC_ABOUT_ICON     2
#define IDM_ABOUT          104
#define IDM_CLOSE          105
