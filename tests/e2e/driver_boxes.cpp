// The message boxes of a quendle.exe process.
#include "driver.h"

// The message text control of a standard message box.
const int kBoxTextId = 0xFFFF;

struct BoxSearch {
    DWORD processId;
    HWND dialog;
    HWND found;
    int count;
};

static BOOL CALLBACK MatchBox(HWND window, LPARAM param)
{
    BoxSearch *search = reinterpret_cast<BoxSearch *>(param);
    if (window != search->dialog && IsShownDialogOf(window, search->processId) &&
        GetDlgItem(window, kBoxTextId) != nullptr) {
        if (search->found == nullptr) {
            search->found = window;
        }
        ++search->count;
    }
    return TRUE;
}

static BoxSearch FindBoxes(const Instance &instance, HWND dialog)
{
    BoxSearch search = {instance.processId, dialog, nullptr, 0};
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
    return search;
}

int CountMessageBoxes(const Instance &instance, HWND dialog)
{
    return FindBoxes(instance, dialog).count;
}

bool WaitForMessageBox(const Instance &instance, HWND dialog, DWORD timeoutMs, BoxInfo *box)
{
    // The box's thread may only now come back from a long exchange: the box
    // counts once it answers.
    if (!WaitUntil(
            [&] {
                box->window = FindBoxes(instance, dialog).found;
                return box->window != nullptr && TryReadText(box->window, &box->caption) &&
                       TryReadText(GetDlgItem(box->window, kBoxTextId), &box->text);
            },
            timeoutMs)) {
        return false;
    }
    box->owner = GetWindow(box->window, GW_OWNER);
    return true;
}

bool DismissMessageBox(HWND box)
{
    HWND button = GetDlgItem(box, IDOK);
    if (button != nullptr) {
        PostMessageW(button, BM_CLICK, 0, 0);
    } else {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return WaitUntil([&] { return !IsWindow(box); }, kPromptMs);
}
