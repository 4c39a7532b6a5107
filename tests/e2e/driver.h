// Drives the real quendle.exe as an operator would: a fresh folder per run
// with the program and the simulated controller library, the dialog and its
// controls found by id, clicks, keys, texts, message boxes and the exit code.
// Every wait polls its condition until a deadline; none sleeps blindly.
#pragma once
#include <windows.h>

#include <string>

// Longest wait for anything that should happen at once (a window to appear,
// a text to change, the process to end).
const DWORD kPromptMs = 5000;

// Polls the condition every 10 ms until it holds or the time is up; returns
// whether it held.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(10);
    }
}

// --- Folders and files ---------------------------------------------------

// A path as Windows programs take it: a host path (/...) is reached through
// the Z: drive under Wine; forward slashes become backslashes.
std::wstring WindowsPath(const std::wstring &path);

// Creates a new empty folder under the temporary folder and copies
// quendle.exe and QuarnPubIf.dll into it. Returns its path, empty on failure.
std::wstring CreateRunFolder();

// Copies quendle.exe and QuarnPubIf.dll into an existing folder.
bool CopyProgramInto(const std::wstring &folder);

// Deletes the folder's files and the folder.
void RemoveRunFolder(const std::wstring &folder);

// Writes the bytes as the whole file, replacing what was there.
bool WriteFileBytes(const std::wstring &path, const std::string &bytes);

// The file's bytes; empty when it does not exist.
std::string ReadFileBytes(const std::wstring &path);

bool FileExists(const std::wstring &path);

// --- The process -----------------------------------------------------------

// One started quendle.exe. The handle belongs to the instance.
struct Instance {
    HANDLE process;
    DWORD processId;
};

// Starts quendle.exe from the folder, with the folder as working folder.
// Does not wait for the dialog.
bool StartQuendle(const std::wstring &folder, Instance *instance);

// The exit code once the process has ended, or STILL_ACTIVE when it is still
// running after the timeout.
DWORD WaitForExit(const Instance &instance, DWORD timeoutMs);

// Ends the process if it still runs and closes the handle.
void EndInstance(Instance *instance);

// Whether the window is a visible dialog-class (#32770) window of the process:
// its dialog or one of its message boxes.
bool IsShownDialogOf(HWND window, DWORD processId);

// The dialog of the process (caption "quendle", class #32770, holding the
// serial-number edit), or nullptr when none appears before the timeout or the
// process ends first.
HWND WaitForDialog(const Instance &instance, DWORD timeoutMs);

// --- Controls ---------------------------------------------------------------

// The window's text through WM_GETTEXT; empty when the window's thread does
// not answer within a short time (for instance while it runs an exchange).
std::wstring ReadText(HWND window);

// Like ReadText, but tells an unanswered request apart.
bool TryReadText(HWND window, std::wstring *text);

// Sets the text with WM_SETTEXT, as typing it would leave it.
bool WriteText(HWND window, const std::wstring &text);

std::wstring ReadControlText(HWND dialog, int id);
bool WriteControlText(HWND dialog, int id, const std::wstring &text);

// Waits until the control shows exactly this text.
bool WaitForControlText(HWND dialog, int id, const std::wstring &expected, DWORD timeoutMs);

// Clicks a button through BM_CLICK, posted so that a request it starts, and
// the message boxes of that request, do not hold up the driver.
void PostClick(HWND dialog, int id);

// Clicks a button through BM_CLICK and waits until the click is handled.
// Only for clicks that return at once (the mode buttons).
bool SendClick(HWND dialog, int id);

// A real mouse click (SendInput) at the centre of the window, which goes to
// whatever window is under that point, as an operator's click would.
bool MouseClick(HWND window);

// Posts a key press (WM_KEYDOWN, WM_KEYUP) to the window, as the keyboard
// would deliver it to the window with the focus.
void PostKey(HWND window, WORD virtualKey);

// A real key press through SendInput, to whatever window has the focus.
bool SendKey(WORD virtualKey);

// Brings the window to the foreground, then a real key press (SendInput).
bool PressKey(HWND window, WORD virtualKey);

// The control of the dialog's thread that has the keyboard focus, or the
// dialog itself when the focus is elsewhere.
HWND FocusedControl(HWND dialog);

// Closes the dialog as its close box does (WM_SYSCOMMAND SC_CLOSE).
void PostCloseBox(HWND dialog);

// Whether a button shows the checked state (BM_GETCHECK).
bool IsChecked(HWND dialog, int id);

// --- Message boxes ----------------------------------------------------------

enum BoxIcon { kIconUnknown, kIconError, kIconInformation };

struct BoxInfo {
    HWND window;
    HWND owner;
    std::wstring caption;
    std::wstring text;
};

// A message box of the process other than the dialog: a visible top-level
// #32770 window holding the message text control (id 0xFFFF). Returns
// whether one was up before the timeout.
bool WaitForMessageBox(const Instance &instance, HWND dialog, DWORD timeoutMs, BoxInfo *box);

// Which of the two standard icons the box shows, judged from its pixels.
BoxIcon ReadBoxIcon(HWND box);

// Presses the box's OK button and waits until the box is gone.
bool DismissMessageBox(HWND box);

// Number of message boxes of the process that are up right now.
int CountMessageBoxes(const Instance &instance, HWND dialog);

// --- Screenshots ------------------------------------------------------------

// Repaints the window, frame included, and waits until the painting is done.
void RepaintNow(HWND window);

// Saves the window's screen area, caption bar included, as a 24-bit BMP.
bool SaveWindowBitmap(HWND window, const std::wstring &path);
