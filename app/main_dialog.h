// The operator dialog MYDIALOG.
#pragma once
#include <windows.h>

// Dialog procedure of MYDIALOG: TRUE for the messages it handles.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Moves the window to the centre of the desktop, on top, shown and active.
void CenterWindow(HWND window);
