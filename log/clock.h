// Local date and time as text, anchored once to the multimedia timer.
#pragma once
#include <windows.h>

// Ties the wall clock to the current multimedia-timer reading.
void AnchorClock();

// Returns the current local time as "YYYY/MM/DD hh:mm:ss" (month and day
// padded with blanks). The buffer is process-wide and valid until the next
// call.
LPCWSTR GetTimestampText();
