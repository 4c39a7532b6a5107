// Folders, files and the quendle.exe process.
#include "driver.h"

#include <string.h>

#include "resource.h"

std::wstring WindowsPath(const std::wstring &path)
{
    std::wstring result;
    if (!path.empty() && path[0] == L'/') {
        result = L"Z:";
    }
    for (WCHAR c : path) {
        result += c == L'/' ? L'\\' : c;
    }
    return result;
}

// Where the build placed the program and the simulated controller library.
static std::wstring BuildPath(const char *path)
{
    std::string narrow(path);
    return WindowsPath(std::wstring(narrow.begin(), narrow.end()));
}

bool CopyProgramInto(const std::wstring &folder)
{
    return CopyFileW(BuildPath(QUENDLE_EXE_PATH).c_str(), (folder + L"\\quendle.exe").c_str(),
                     FALSE) &&
           CopyFileW(BuildPath(QUENDLE_SIM_PATH).c_str(), (folder + L"\\QuarnPubIf.dll").c_str(),
                     FALSE);
}

std::wstring CreateRunFolder()
{
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        WCHAR folder[MAX_PATH];
        wsprintfW(folder, L"%squendle-e2e-%lu-%lu-%d", temp, GetCurrentProcessId(),
                  GetTickCount(), attempt);
        if (CreateDirectoryW(folder, nullptr)) {
            if (!CopyProgramInto(folder)) {
                RemoveRunFolder(folder);
                return std::wstring();
            }
            return folder;
        }
    }
    return std::wstring();
}

void RemoveRunFolder(const std::wstring &folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW((folder + L"\\" + found.cFileName).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

bool WriteFileBytes(const std::wstring &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring &path)
{
    // The program keeps the log open for writing during a request.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string bytes;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        bytes.append(buffer, count);
    }
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool StartQuendle(const std::wstring &folder, Instance *instance)
{
    std::wstring commandLine = L"\"" + folder + L"\\quendle.exe\"";
    STARTUPINFOW startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info)) {
        instance->process = nullptr;
        instance->processId = 0;
        return false;
    }
    CloseHandle(info.hThread);
    instance->process = info.hProcess;
    instance->processId = info.dwProcessId;
    return true;
}

DWORD WaitForExit(const Instance &instance, DWORD timeoutMs)
{
    if (WaitForSingleObject(instance.process, timeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(instance.process, &code);
    return code;
}

void EndInstance(Instance *instance)
{
    if (instance->process == nullptr) {
        return;
    }
    if (WaitForSingleObject(instance->process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(instance->process, 99);
        WaitForSingleObject(instance->process, kPromptMs);
    }
    CloseHandle(instance->process);
    instance->process = nullptr;
    instance->processId = 0;
}

bool IsShownDialogOf(HWND window, DWORD processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    WCHAR className[16];
    return owner == processId && IsWindowVisible(window) &&
           GetClassNameW(window, className, 16) && lstrcmpW(className, L"#32770") == 0;
}

// The dialog shows itself once its initialisation is done; the request
// button is the last control it creates.
struct DialogSearch {
    DWORD processId;
    HWND found;
};

static BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    DialogSearch *search = reinterpret_cast<DialogSearch *>(param);
    WCHAR caption[16];
    if (IsShownDialogOf(window, search->processId) && GetWindowTextW(window, caption, 16) &&
        lstrcmpW(caption, L"quendle") == 0 && GetDlgItem(window, IDC_SN_EDIT) != nullptr &&
        GetDlgItem(window, IDOK) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(const Instance &instance, DWORD timeoutMs)
{
    DialogSearch search = {instance.processId, nullptr};
    DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        if (WaitForSingleObject(instance.process, 0) == WAIT_OBJECT_0 ||
            GetTickCount() - start >= timeoutMs) {
            return nullptr;
        }
        Sleep(1);
    }
}
