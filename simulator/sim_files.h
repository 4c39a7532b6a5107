// Small file services of the simulated controller: where its files live and
// how they are read, written and recognised as changed.
#pragma once
#include <windows.h>

#include <string>

// The folder of the given module, with a trailing backslash; empty when the
// module's path cannot be found.
std::wstring ModuleFolder(HMODULE module);

// What identifies one version of a file: whether it exists, its size and
// its last-write time.
struct FileStamp {
    bool exists;
    ULONGLONG size;
    FILETIME lastWrite;
};

FileStamp GetFileStamp(const std::wstring &path);
bool SameFileStamp(const FileStamp &a, const FileStamp &b);

// Reads at most limit bytes from the start of the file into buffer; returns
// the number read, 0 when the file is absent or cannot be read.
DWORD ReadFileStart(const std::wstring &path, BYTE *buffer, DWORD limit);

// Replaces the file's contents. A file that cannot be written is left to
// whatever the system made of it: the simulated controller goes on.
void WriteWholeFile(const std::wstring &path, const BYTE *data, DWORD size);
