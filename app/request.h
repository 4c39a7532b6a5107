// The operator's request: the press of the request button.
#pragma once
#include <windows.h>

// Runs one serial-number request on the dialog: normalises and checks the
// entry, transfers, shows and logs the result, and takes the close interval.
void HandleSerialNumberRequest(HWND dialog);
