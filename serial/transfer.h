// Writing the serial number into the controller and reading it back.
#pragma once
#include <windows.h>

// Six bytes in the ANSI code page, zero-padded, with no terminator.
typedef BYTE SerialNumber[6];

// Runs the screen check, in write mode the write sequence, and the read-back.
// serialText: 7 wide characters, zero after the text; on return it holds the
// serial number read back. Returns 1 for success, 0 for failure.
int TransferSerialNumber(WCHAR *serialText, int writeMode);

// Sends the two write commands. Returns 1 when a command drew more than one
// response (the sequence stops there), otherwise 0.
int WriteSerialNumber(const SerialNumber serialNumber);

// Fills serialNumber from a well-formed read-back answer; all zero otherwise.
void ReadSerialNumber(SerialNumber serialNumber);
