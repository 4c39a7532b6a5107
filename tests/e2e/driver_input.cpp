// Texts, clicks and keys, sent to the dialog's controls from outside.
#include "driver.h"

#include <string.h>

// The dialog's thread answers at once unless it runs an exchange, which
// holds it for up to 10 seconds.
const UINT kAnswerMs = 200;

bool TryReadText(HWND window, std::wstring *text)
{
    WCHAR buffer[512];
    buffer[0] = L'\0';
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer),
                             SMTO_NORMAL, kAnswerMs, &copied)) {
        return false;
    }
    text->assign(buffer, copied);
    return true;
}

std::wstring ReadText(HWND window)
{
    std::wstring text;
    TryReadText(window, &text);
    return text;
}

bool WriteText(HWND window, const std::wstring &text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_NORMAL, kAnswerMs, &result) != 0 &&
           result == TRUE;
}

std::wstring ReadControlText(HWND dialog, int id)
{
    return ReadText(GetDlgItem(dialog, id));
}

bool WriteControlText(HWND dialog, int id, const std::wstring &text)
{
    return WriteText(GetDlgItem(dialog, id), text);
}

bool WaitForControlText(HWND dialog, int id, const std::wstring &expected, DWORD timeoutMs)
{
    HWND control = GetDlgItem(dialog, id);
    return WaitUntil([&] { return ReadText(control) == expected; }, timeoutMs);
}

void PostClick(HWND dialog, int id)
{
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool SendClick(HWND dialog, int id)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL,
                               kAnswerMs, &result) != 0;
}

static UINT SendMouse(DWORD flags, LONG x, LONG y)
{
    INPUT input;
    memset(&input, 0, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    return SendInput(1, &input, sizeof input);
}

bool MouseClick(HWND window)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) {
        return false;
    }
    POINT target = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    // The move goes through the same input queue as the buttons, so the
    // press lands where the pointer has arrived.
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    LONG x = MulDiv(target.x, 65536, width) + 1;
    LONG y = MulDiv(target.y, 65536, height) + 1;
    if (SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y) != 1) {
        return false;
    }
    POINT cursor;
    if (!WaitUntil([&] { return GetCursorPos(&cursor) && cursor.x == target.x &&
                                cursor.y == target.y; },
                   kPromptMs)) {
        return false;
    }
    return SendMouse(MOUSEEVENTF_LEFTDOWN, 0, 0) == 1 && SendMouse(MOUSEEVENTF_LEFTUP, 0, 0) == 1;
}

void PostKey(HWND window, WORD virtualKey)
{
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(window, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageW(window, WM_KEYUP, virtualKey, scan | 1 | 0xC0000000);
}

static UINT SendKeyEvent(WORD virtualKey, DWORD flags)
{
    INPUT input;
    memset(&input, 0, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return SendInput(1, &input, sizeof input);
}

bool SendKey(WORD virtualKey)
{
    return SendKeyEvent(virtualKey, 0) == 1 && SendKeyEvent(virtualKey, KEYEVENTF_KEYUP) == 1;
}

bool PressKey(HWND window, WORD virtualKey)
{
    SetForegroundWindow(window);
    return WaitUntil([&] { return GetForegroundWindow() == window; }, kPromptMs) &&
           SendKey(virtualKey);
}

HWND FocusedControl(HWND dialog)
{
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr &&
        (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus))) {
        return info.hwndFocus;
    }
    return dialog;
}

void PostCloseBox(HWND dialog)
{
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool IsChecked(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_NORMAL, kAnswerMs,
                        &state);
    return state == BST_CHECKED;
}
