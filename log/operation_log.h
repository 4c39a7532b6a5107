// The operation log: a text file beside the executable, open for one request.
#pragma once
#include <windows.h>

// Opens <executable path minus its last three characters>log for appending,
// sharing it with readers only. On failure the log stays closed, silently.
void OpenOperationLog();

// Formats the message (wide printf, %s takes a wide text) and appends it to
// the log if it is open; a message longer than 1023 characters is cut.
// Returns the number of characters formatted.
int LogPrintf(LPCWSTR format, ...);

// Writes out what is buffered and closes the log; harmless when closed.
void CloseOperationLog();
