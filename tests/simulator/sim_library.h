// A copy of the simulated QuarnPubIf.dll in a fresh temporary folder, loaded
// by its path and called through the addresses of its plain export names,
// with a trace of the calls that a test compares as text.
#pragma once
#include <windows.h>

#include <string>

#include "quarn_pub_if.h"

struct SimLibrary {
    std::wstring folder;  // with a trailing backslash
    HMODULE module;
    int(WINAPI *acquireLock)(int, int);
    int(WINAPI *sendCommand)(QuarnCommandRecord *);
    int(WINAPI *getStatus)(QuarnResponseStatusRecord *);
    int(WINAPI *getResponse)(QuarnResponseRecord *);
    int(WINAPI *releaseLock)(int);
    int(WINAPI *getScreenInfo)(BYTE *, int *);
};

// Creates the folder and copies the DLL into it; false on failure.
bool CreateSimFolder(SimLibrary *sim);
// Unloads the DLL and deletes the folder with everything in it.
void DeleteSimFolder(SimLibrary *sim);

// Loads the copy and looks up all six calls; false when any is missing.
bool LoadSim(SimLibrary *sim);
void UnloadSim(SimLibrary *sim);

void WriteSimFile(const SimLibrary &sim, const wchar_t *name, const std::string &contents);
std::string ReadSimFile(const SimLibrary &sim, const wchar_t *name);

// Runs the space-separated steps and returns their trace, steps separated
// by " | ":
//   screen     QuarnGetScreenInfo                      S<result>/<count>
//   UW, uN, XY an exchange of that 2-byte command       L<lock> C<send> polls R<release>
//   UN:<text>  the write command with that serial number, likewise
//   poll       one poll on its own                     Q<status>:<waiting> F<fetch>:<packet> ...
// An exchange polls like the program (status, then as many fetches as are
// waiting) until the last packet fetched in a poll begins with 'A', at most
// three times. A packet shows its bytes up to the last non-zero one, a zero
// byte as '.'.
std::string RunSteps(const SimLibrary &sim, const char *steps);
