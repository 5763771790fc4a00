#pragma once
// Ids shared by the resource script and the program.

#define IDI_PROGRAM 1201

#define IDS_ABOUT_CAPTION 1301
#define IDS_MAKER_LINE 1302
#define IDS_TITLE 1303
#define IDS_NO_INPUT 1304
#define IDS_HELP_ADDRESS 1305

#define ID_INPUT 1001
#define ID_SPLIT 1002
#define ID_HELP 1003
#define ID_ABOUT 1004
#define ID_EXIT 1005

#define ID_INPUT_NAME_LIST 1101
#define ID_STATUS_LIST 1102
