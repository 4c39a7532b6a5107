#include "operation_log.h"

#include <share.h>
#include <stdarg.h>
#include <stdio.h>

const DWORD kPathCapacity = 260;
const int kMessageCapacity = 1024;
const size_t kOutputBufferSize = 4096;

static FILE *g_log;

void OpenOperationLog()
{
    // A request that begins inside another keeps the log the first one opened.
    if (g_log != nullptr) {
        return;
    }
    WCHAR path[kPathCapacity];
    DWORD length = GetModuleFileNameW(nullptr, path, kPathCapacity);
    // A path that filled the buffer was cut short; a log beside some other
    // file would be worse than none.
    if (length < 3 || length >= kPathCapacity) {
        return;
    }
    path[length - 3] = L'l';
    path[length - 2] = L'o';
    path[length - 1] = L'g';
    g_log = _wfsopen(path, L"a", _SH_DENYWR);
    if (g_log != nullptr) {
        setvbuf(g_log, nullptr, _IOFBF, kOutputBufferSize);
    }
}

int LogPrintf(LPCWSTR format, ...)
{
    WCHAR message[kMessageCapacity];
    va_list args;
    va_start(args, format);
    // The system's formatter reads %s as a wide text; the last slot is kept
    // for the terminator, which it leaves out when the text is cut.
    _vsnwprintf(message, kMessageCapacity - 1, format, args);
    va_end(args);
    message[kMessageCapacity - 1] = L'\0';

    int count = 0;
    for (; message[count] != L'\0'; ++count) {
        if (g_log != nullptr) {
            // One byte per unit, whatever the code page: the file is read on
            // machines with other settings.
            WCHAR unit = message[count];
            fputc(unit < 256 ? static_cast<int>(unit) : '?', g_log);
        }
    }
    return count;
}

void CloseOperationLog()
{
    if (g_log != nullptr) {
        fclose(g_log);
    }
    g_log = nullptr;
}
