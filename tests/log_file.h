// The operation log file of the test executable, read and removed by tests.
#pragma once
#include <windows.h>

#include <stdio.h>

#include <string>

// The executable's path with its last three characters replaced by "log".
inline std::wstring LogFilePath()
{
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length - 3) + L"log";
}

inline bool LogFileExists()
{
    return GetFileAttributesW(LogFilePath().c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void DeleteLogFile()
{
    DeleteFileW(LogFilePath().c_str());
}

// The file's bytes; empty when it does not exist.
inline std::string ReadLogFile()
{
    std::string bytes;
    FILE *file = _wfopen(LogFilePath().c_str(), L"rb");
    if (file == nullptr) {
        return bytes;
    }
    char chunk[4096];
    size_t count;
    while ((count = fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, count);
    }
    fclose(file);
    return bytes;
}

// An ASCII text as the bytes the log holds for it (line feeds as CR LF).
inline std::string LogBytes(const std::wstring &text)
{
    std::string bytes;
    for (WCHAR unit : text) {
        if (unit == L'\n') {
            bytes += '\r';
        }
        bytes += static_cast<char>(unit);
    }
    return bytes;
}
