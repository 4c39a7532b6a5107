// What another process holds: handles, USER and GDI objects, windows and
// private memory, each read in every way the system offers, since Wine
// answers some of the documented calls with zero.
#pragma once
#include <windows.h>

#include <string>

struct ProcessCounters {
    // GetProcessHandleCount.
    DWORD handleCount;
    // Entries of the system's handle table that belong to the process
    // (NtQuerySystemInformation, extended handle information); -1 when the
    // table cannot be read.
    long handleTableEntries;
    // GetGuiResources.
    DWORD userObjects;
    DWORD gdiObjects;
    // Windows of the process: top-level windows and all their children.
    long windows;
    // PROCESS_MEMORY_COUNTERS_EX.PrivateUsage from GetProcessMemoryInfo.
    SIZE_T privateUsage;
    // PrivateUsage of the process's VM counters (NtQueryInformationProcess);
    // 0 when they cannot be read.
    SIZE_T vmPrivateUsage;
};

// Reads the counters of the process, which the handle must allow to query
// (PROCESS_QUERY_INFORMATION and PROCESS_VM_READ). Returns false when a
// documented call fails.
bool ReadProcessCounters(HANDLE process, DWORD processId, ProcessCounters *counters);

// The counters side by side, one line each, for the test's output.
std::string FormatCounters(const ProcessCounters &before, const ProcessCounters &after);
