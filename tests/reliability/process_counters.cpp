#include "process_counters.h"

#include <psapi.h>
#include <string.h>
#include <stdio.h>

#include <vector>

// The layouts that ntdll fills in; the SDK headers of the cross compiler do
// not declare them.
struct HandleTableEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleTableEntry entries[1];
};

struct VmCountersEx {
    SIZE_T peakVirtualSize;
    SIZE_T virtualSize;
    ULONG pageFaultCount;
    SIZE_T peakWorkingSetSize;
    SIZE_T workingSetSize;
    SIZE_T quotaPeakPagedPoolUsage;
    SIZE_T quotaPagedPoolUsage;
    SIZE_T quotaPeakNonPagedPoolUsage;
    SIZE_T quotaNonPagedPoolUsage;
    SIZE_T pagefileUsage;
    SIZE_T peakPagefileUsage;
    SIZE_T privateUsage;
};

typedef LONG(WINAPI *QuerySystemInformationProc)(ULONG, PVOID, ULONG, PULONG);
typedef LONG(WINAPI *QueryInformationProcessProc)(HANDLE, ULONG, PVOID, ULONG, PULONG);

const ULONG kSystemExtendedHandleInformation = 64;
const ULONG kProcessVmCounters = 3;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

template <typename Proc>
static Proc NtdllProc(const char *name)
{
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name);
    return reinterpret_cast<Proc>(reinterpret_cast<void *>(proc));
}

static long CountHandleTableEntries(DWORD processId)
{
    QuerySystemInformationProc query =
        NtdllProc<QuerySystemInformationProc>("NtQuerySystemInformation");
    if (query == nullptr) {
        return -1;
    }
    std::vector<BYTE> buffer(1 << 16);
    LONG status;
    while ((status = query(kSystemExtendedHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), nullptr)) == kInfoLengthMismatch &&
           buffer.size() < (1u << 26)) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        return -1;
    }
    const HandleTable *table = reinterpret_cast<const HandleTable *>(buffer.data());
    long count = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i) {
        if (table->entries[i].processId == processId) {
            ++count;
        }
    }
    return count;
}

static SIZE_T ReadVmPrivateUsage(HANDLE process)
{
    QueryInformationProcessProc query =
        NtdllProc<QueryInformationProcessProc>("NtQueryInformationProcess");
    VmCountersEx counters;
    memset(&counters, 0, sizeof counters);
    if (query == nullptr ||
        query(process, kProcessVmCounters, &counters, sizeof counters, nullptr) != 0) {
        return 0;
    }
    return counters.privateUsage;
}

struct WindowCount {
    DWORD processId;
    long count;
};

static BOOL CALLBACK CountChild(HWND, LPARAM param)
{
    ++reinterpret_cast<WindowCount *>(param)->count;
    return TRUE;
}

static BOOL CALLBACK CountTopLevel(HWND window, LPARAM param)
{
    WindowCount *windows = reinterpret_cast<WindowCount *>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == windows->processId) {
        ++windows->count;
        // Counts the children of every level.
        EnumChildWindows(window, CountChild, param);
    }
    return TRUE;
}

bool ReadProcessCounters(HANDLE process, DWORD processId, ProcessCounters *counters)
{
    memset(counters, 0, sizeof *counters);
    PROCESS_MEMORY_COUNTERS_EX memory;
    memset(&memory, 0, sizeof memory);
    memory.cb = sizeof memory;
    if (!GetProcessHandleCount(process, &counters->handleCount) ||
        !GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory),
                              sizeof memory)) {
        return false;
    }
    counters->privateUsage = memory.PrivateUsage;
    counters->userObjects = GetGuiResources(process, GR_USEROBJECTS);
    counters->gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    counters->handleTableEntries = CountHandleTableEntries(processId);
    counters->vmPrivateUsage = ReadVmPrivateUsage(process);
    WindowCount windows = {processId, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    counters->windows = windows.count;
    return true;
}

std::string FormatCounters(const ProcessCounters &before, const ProcessCounters &after)
{
    char text[1024];
    _snprintf(text, sizeof text,
              "  GetProcessHandleCount           %10lu %10lu\n"
              "  handle table entries            %10ld %10ld\n"
              "  GetGuiResources GR_USEROBJECTS  %10lu %10lu\n"
              "  GetGuiResources GR_GDIOBJECTS   %10lu %10lu\n"
              "  windows                         %10ld %10ld\n"
              "  PrivateUsage (psapi)            %10lu %10lu\n"
              "  PrivateUsage (VM counters)      %10lu %10lu\n",
              before.handleCount, after.handleCount, before.handleTableEntries,
              after.handleTableEntries, before.userObjects, after.userObjects, before.gdiObjects,
              after.gdiObjects, before.windows, after.windows,
              static_cast<unsigned long>(before.privateUsage),
              static_cast<unsigned long>(after.privateUsage),
              static_cast<unsigned long>(before.vmPrivateUsage),
              static_cast<unsigned long>(after.vmPrivateUsage));
    text[sizeof text - 1] = '\0';
    return text;
}
