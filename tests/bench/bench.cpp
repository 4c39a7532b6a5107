// Measures quendle against the floor its protocol sets: every exchange pauses
// 10 ms before collecting, so a read costs one pause and a write with
// verification three. Run it in a folder holding the simulated QuarnPubIf.dll,
// quendle.exe and minimal_dialog.exe (scripts/bench.sh prepares one).
// Prints one line per figure with its target; exit code 1 when one misses.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <vector>

#include "operation_log.h"
#include "transfer.h"

static double g_ticksPerMs;
static int g_missed;

static double NowMs()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / g_ticksPerMs;
}

struct Figures {
    double median;
    double p95;
};

static Figures Summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return Figures{samples[samples.size() / 2], samples[samples.size() * 95 / 100]};
}

static void Report(const char *what, Figures measured, double floorMs, double target)
{
    double ratio = measured.median / floorMs;
    int ok = ratio <= target;
    g_missed += !ok;
    printf("%-30s median %8.3f ms  p95 %8.3f ms  floor %8.3f ms  ratio %.3f (target <= %.2f) %s\n",
           what, measured.median, measured.p95, floorMs, ratio, target, ok ? "ok" : "MISSED");
}

static Figures TimePause(int runs)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        double start = NowMs();
        Sleep(10);
        samples.push_back(NowMs() - start);
    }
    return Summarise(samples);
}

// One transfer, optionally as a whole logged request.
static double TimeTransfer(int writeMode, int logged)
{
    WCHAR serialText[7] = L"ABC123";
    double start = NowMs();
    if (logged) {
        OpenOperationLog();
    }
    TransferSerialNumber(serialText, writeMode);
    if (logged) {
        LogPrintf(L"%s Read=\"%s\"\n", L"2026/ 1/ 1 00:00:00", serialText);
        CloseOperationLog();
    }
    return NowMs() - start;
}

static Figures TimeTransfers(int runs, int writeMode)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        samples.push_back(TimeTransfer(writeMode, 0));
    }
    return Summarise(samples);
}

// The log beside this program: its path with the last three characters
// replaced, as the operation log does it.
static void GetLogPath(WCHAR *path)
{
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    lstrcpyW(path + length - 3, L"log");
}

static void MakeBigLog(const WCHAR *path, LONGLONG bytes)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    static char block[1 << 20];
    memset(block, 'x', sizeof block);
    for (LONGLONG written = 0; written < bytes; written += sizeof block) {
        DWORD done;
        WriteFile(file, block, sizeof block, &done, nullptr);
    }
    CloseHandle(file);
}

static Figures TimeLoggedReads(int runs, const WCHAR *logPath, int bigLog)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        if (!bigLog) {
            DeleteFileW(logPath);
        }
        samples.push_back(TimeTransfer(0, 1));
    }
    return Summarise(samples);
}

struct ProcessWindow {
    DWORD processId;
    HWND window;
};

static BOOL CALLBACK FindShownDialog(HWND window, LPARAM lParam)
{
    ProcessWindow *wanted = reinterpret_cast<ProcessWindow *>(lParam);
    DWORD processId;
    GetWindowThreadProcessId(window, &processId);
    if (processId == wanted->processId && IsWindowVisible(window)) {
        wanted->window = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the program's dialog being visible.
static double TimeStartUp(const WCHAR *program)
{
    WCHAR commandLine[MAX_PATH];
    lstrcpyW(commandLine, program);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    double start = NowMs();
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 1e9;
    }
    ProcessWindow wanted = {process.dwProcessId, nullptr};
    while (wanted.window == nullptr && NowMs() - start < 10000) {
        EnumWindows(FindShownDialog, reinterpret_cast<LPARAM>(&wanted));
        if (wanted.window == nullptr) {
            Sleep(1);
        }
    }
    double elapsed = NowMs() - start;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return elapsed;
}

static void CompareStartUp(int runs)
{
    std::vector<double> quendle;
    std::vector<double> minimal;
    for (int i = 0; i < runs; ++i) {
        // Interleaved, so both see the same state of the machine.
        quendle.push_back(TimeStartUp(L"quendle.exe"));
        minimal.push_back(TimeStartUp(L"minimal_dialog.exe"));
    }
    Figures baseline = Summarise(minimal);
    printf("%-30s median %8.3f ms  p95 %8.3f ms\n", "start-up, minimal dialog", baseline.median,
           baseline.p95);
    Report("start-up, quendle.exe", Summarise(quendle), baseline.median, 1.20);
}

int main()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_ticksPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;
    const int runs = 200;

    Figures pause = TimePause(runs);
    printf("%-30s median %8.3f ms  p95 %8.3f ms\n", "pause of 10 ms", pause.median, pause.p95);
    Report("read", TimeTransfers(runs, 0), pause.median, 1.10);
    Report("write with verification", TimeTransfers(runs, 1), 3 * pause.median, 1.10);

    WCHAR logPath[MAX_PATH];
    GetLogPath(logPath);
    Figures noLog = TimeLoggedReads(runs, logPath, 0);
    MakeBigLog(logPath, 100LL << 20);
    Figures bigLog = TimeLoggedReads(runs, logPath, 1);
    DeleteFileW(logPath);
    printf("%-30s median %8.3f ms  p95 %8.3f ms\n", "logged read, no log before", noLog.median,
           noLog.p95);
    Report("logged read, 100 MB log", bigLog, noLog.median, 1.05);

    CompareStartUp(20);
    return g_missed == 0 ? 0 : 1;
}
