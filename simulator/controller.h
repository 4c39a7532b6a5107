// The simulated touchscreen controller behind the library's calls: its
// stored serial number (kept in controller-sim.state), its scenario (read
// from controller-sim.txt) and the answers waiting to be fetched. All of it
// lives beside the DLL, in the folder of the module given at start.
#pragma once
#include <windows.h>

#include <stdint.h>

// Reads the stored serial number and the scenario; called once, when the
// DLL is loaded.
void ControllerStart(HMODULE module);

// Each returns the call's result code; 0 is success.
int ControllerScreenInfo(int *screenCount);
int ControllerLock();
int ControllerSend(const BYTE *packet);
int ControllerStatus(uint16_t *waitingCount);
int ControllerFetch(BYTE *packet);
int ControllerRelease();
