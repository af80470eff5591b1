// Resource and control identifiers. Plain macros: included by the resource script, by the
// Windows code and by the portable status parser.
#pragma once

#define IDI_SPROUT 128
#define IDD_MAIN 129

#define IDC_SAVE_FOLDER 1000
#define IDC_PROGRESS 1001
#define IDC_BROWSE 1002
#define IDC_START_STOP 1003
#define IDC_OPEN_FOLDER 1004
#define IDC_EXIT 1005
#define IDC_FORUM 1006
#define IDC_STATUS_GROUP 1007
#define IDC_SPEED 1008
#define IDC_TIME_LEFT 1009
#define IDC_FILE_SIZE 1010
#define IDC_DOWNLOADED 1011
#define IDC_LOGO 1012
#define IDC_LINK 1013
// Made at run time, after the template's controls.
#define IDC_FILE_LIST 1014
