// Control ids of the dialog MYDIALOG; IDOK (1) is the request button.
#pragma once

#define IDC_NOW_TEXT 1001
#define IDC_CLOSE_TIME_TEXT 1002
#define IDC_SN_LABEL 1003
#define IDC_READ_SN_TEXT 1004
#define IDC_SN_EDIT 2001
#define IDC_CLOSE_TIME_EDIT 2002
#define IDC_WRITE_RADIO 2003
#define IDC_READ_RADIO 2004
#define IDC_MODE_GROUP 2005
