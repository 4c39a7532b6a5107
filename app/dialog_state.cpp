#include "dialog_state.h"

DWORD g_closeInterval = 2000;
DWORD g_countdownStart = 0;
