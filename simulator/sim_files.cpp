#include "sim_files.h"

std::wstring ModuleFolder(HMODULE module)
{
    // Grows the buffer until the whole path fits (long paths exceed MAX_PATH).
    std::wstring path;
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        path.resize(size);
        DWORD length = GetModuleFileNameW(module, &path[0], size);
        if (length == 0) {
            return std::wstring();
        }
        if (length < size) {
            path.resize(length);
            size_t slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
        }
    }
    return std::wstring();
}

FileStamp GetFileStamp(const std::wstring &path)
{
    FileStamp stamp = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        stamp.exists = true;
        stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.lastWrite = data.ftLastWriteTime;
    }
    return stamp;
}

bool SameFileStamp(const FileStamp &a, const FileStamp &b)
{
    if (a.exists != b.exists) {
        return false;
    }
    return !a.exists || (a.size == b.size && CompareFileTime(&a.lastWrite, &b.lastWrite) == 0);
}

DWORD ReadFileStart(const std::wstring &path, BYTE *buffer, DWORD limit)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD total = 0;
    DWORD got = 0;
    while (total < limit && ReadFile(file, buffer + total, limit - total, &got, nullptr) &&
           got > 0) {
        total += got;
    }
    CloseHandle(file);
    return total;
}

void WriteWholeFile(const std::wstring &path, const BYTE *data, DWORD size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);
}
